// The status timers of the main window. Each tick rewrites its labels from
// what the controls hold now; none of them touches the disk.

#include <QLabel>
#include <QLineEdit>

#include "app/FileListBox.h"
#include "app/Form1.h"
#include "app/StatusLabel.h"
#include "flash/ShockwaveFlash.h"

namespace app {

void Form1::Timer1_Timer()
{
    Label2->setText(QString::number(qint32(ShockwaveFlash1->CurrentFrame())) + QLatin1String(" Frame"));
    LabeL10->setText(QString::number(qint32(ShockwaveFlash1->PercentLoaded())) + QLatin1String(" %Loaded"));
}

void Form1::Timer2_Timer()
{
    Text6->setText(Text1->text() + QLatin1String("\" >"));
    Text3->setText(Text1->text());
}

void Form1::Timer3_Timer()
{
    const QString name = File1->fileName();
    Label4->setText(name);
    Label6->setText(name);
}

void Form1::Timer4_Timer()
{
    Label4->setText(QStringLiteral("T V K"));
}

void Form1::Timer5_Timer()
{
    Label1->setText(countCaption());
}

} // namespace app
