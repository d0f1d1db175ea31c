#include <QApplication>

#include "app/Form1.h"
#include "platform/Platform.h"

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tovimark"));
    QApplication::setOrganizationName(QStringLiteral("Brindlewick"));

    auto* form1 = new app::Form1(platform::Platform::system());
    form1->setAttribute(Qt::WA_DeleteOnClose);
    form1->showCentered();
    return application.exec();
}
