#include "app/Form1.h"

#include <QAction>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>

#include "app/Artwork.h"
#include "app/DirListBox.h"
#include "app/DriveListBox.h"
#include "app/FileListBox.h"
#include "app/ImageControl.h"
#include "app/MoviePreviews.h"
#include "app/Paths.h"
#include "app/StatusLabel.h"
#include "flash/ShockwaveFlash.h"
#include "platform/ComCtrls.h"
#include "platform/CommonDialogControl.h"
#include "platform/Failure.h"
#include "platform/Platform.h"
#include "platform/Twips.h"

namespace app {

namespace {

using platform::twipsRect;

constexpr int kClientWidthTwips = 9540;
constexpr int kClientHeightTwips = 6555;

template<typename Widget>
Widget* place(Widget* widget, int left, int top, int width, int height)
{
    widget->setGeometry(twipsRect(left, top, width, height));
    return widget;
}

QLabel* makeLabel(QWidget* parent, const QString& caption, const QFont& font)
{
    auto* label = new QLabel(caption, parent);
    label->setFont(font);
    return label;
}

StatusLabel* makeStatusLabel(QWidget* parent, const QString& caption, const QFont& font, int left, int top,
                             int width, int height)
{
    auto* label = place(new StatusLabel(parent), left, top, width, height);
    label->setFont(font);
    label->setDesignWidth(label->width());
    label->setText(caption);
    return label;
}

QFont tahomaBold()
{
    QFont font;
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("Arial")});
    font.setPointSizeF(8.25);
    font.setBold(true);
    return font;
}

QFont verdanaSmall()
{
    QFont font;
    font.setFamilies({QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans"), QStringLiteral("Arial")});
    font.setPointSizeF(6.75);
    return font;
}

QLineEdit* makeTextBox(QWidget* parent, const QString& text)
{
    auto* box = new QLineEdit(text, parent);
    box->setCursorPosition(0);
    return box;
}

} // namespace

Form1::Form1(platform::Platform& platform, QWidget* parent)
    : QMainWindow(parent)
    , m_platform(platform)
{
    Form_Initialize();
    setWindowTitle(QString::fromLatin1(kTitle));
    setWindowIcon(artwork::windowIcon());
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                   | Qt::WindowCloseButtonHint);
    createControls();
    createMenus();
    createTimers();
    connectHandlers();
    setAcceptDrops(true);
    // The menu's shortcuts win over the text boxes' own keys: Ctrl+C stops
    // the movie wherever the focus is, as the menu says.
    for (QLineEdit* box : centralWidget()->findChildren<QLineEdit*>())
        box->installEventFilter(this);
    Form_Load();
}

Form1::~Form1() = default;

void Form1::Form_Initialize()
{
    // Once per process, when the window class is first used, not on every load.
    static const bool once = (mComCtrls::InitComCtrls(), true);
    Q_UNUSED(once);
}

void Form1::createControls()
{
    auto* client = new QWidget(this);
    client->setFixedSize(platform::twipsToPixels(kClientWidthTwips), platform::twipsToPixels(kClientHeightTwips));
    QPalette palette = client->palette();
    palette.setColor(QPalette::Window, QColor(kBackColour & 0xFF, (kBackColour >> 8) & 0xFF, (kBackColour >> 16) & 0xFF));
    client->setPalette(palette);
    client->setAutoFillBackground(true);
    setCentralWidget(client);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    // Creation order is stacking order: the pictures first, the labels and
    // buttons over them.
    createPictures();

    const QString startFolder = normalFolder(QDir::currentPath());
    Drive1 = place(new DriveListBox(*m_platform.drives, client), 120, 600, 2130, 315);
    {
        const QSignalBlocker quiet(Drive1);
        Drive1->setDrive(startFolder);
    }
    Dir1 = place(new DirListBox(client), 145, 1140, 2115, 2115);
    Dir1->setPath(startFolder);
    File1 = place(new FileListBox(client), 150, 3600, 2115, 2040);
    File1->setPattern(QStringLiteral("*.*swf"));
    File1->setPath(Dir1->path());
    m_previews = new MoviePreviews(this);
    File1->setPreviews(m_previews);
    Text1 = place(makeTextBox(client, QStringLiteral("Movie Path")), 2400, 600, 6975, 325);

    Picture1 = place(new QWidget(client), 2400, 1140, 7005, 4515);
    ShockwaveFlash1 = place(new flash::ShockwaveFlash(client), 2400, 1140, 7005, 4515);
    ShockwaveFlash1->setPlatform(m_platform);

    Label1 = makeStatusLabel(client, QString::fromLatin1(kDesignCountCaption), tahomaBold(), 7800, 120, 1305, 195);
    Label2 = makeStatusLabel(client, QStringLiteral("Label2"), tahomaBold(), 4200, 5760, 555, 195);
    LabeL10 = makeStatusLabel(client, QStringLiteral("Percent"), tahomaBold(), 8040, 5760, 660, 195);
    Label4 = makeStatusLabel(client, QStringLiteral("Label4"), verdanaSmall(), 4200, 6345, 510, 180);

    createStorage();

    cmd = std::make_unique<platform::CommonDialogControl>(*m_platform.fileDialogs, this);
    cmd->DialogTitle(QStringLiteral("Open Flash Movies"));
    cmd->Filter(QStringLiteral("Flash Movies|*.swf"));
}

void Form1::createPictures()
{
    QWidget* client = centralWidget();
    using artwork::Piece;
    auto image = [client](Piece piece, QSize pixels, int left, int top, int width, int height) {
        return place(new ImageControl(artwork::draw(piece, pixels), client), left, top, width, height);
    };
    Image14 = image(Piece::Banner, {645, 75}, 0, 0, 9675, 1125);
    Image1 = image(Piece::BottomPanel, {637, 65}, 0, 5640, 9555, 975);
    Image11 = image(Piece::LeftBar, {10, 307}, 0, 1035, 150, 4605);
    Image5 = image(Piece::RightBar, {10, 307}, 9410, 1040, 150, 4605);
    Image15 = image(Piece::Divider, {10, 300}, 2280, 1140, 150, 4500);
    Image13 = image(Piece::FileStrip, {140, 20}, 165, 3270, 2100, 300);
    Image12 = image(Piece::HiddenStrip, {600, 31}, 360, -480, 9000, 465);
    // In each pair the normal picture lies over the highlighted one.
    Image2 = image(Piece::PlayButtonLit, {43, 44}, 45, 5805, 645, 660);
    Image3 = image(Piece::PlayButton, {42, 43}, 30, 5805, 630, 645);
    Image4 = image(Piece::StopButtonLit, {42, 40}, 840, 5850, 630, 600);
    Image6 = image(Piece::StopButton, {42, 40}, 840, 5850, 630, 600);
    Image7 = image(Piece::Button3Lit, {41, 41}, 1575, 5850, 615, 615);
    Image8 = image(Piece::Button3, {41, 41}, 1575, 5865, 615, 615);
    Image9 = image(Piece::Button4Lit, {38, 40}, 2400, 5880, 570, 600);
    Image10 = image(Piece::Button4, {43, 39}, 2370, 5880, 645, 585);
}

void Form1::createStorage()
{
    QWidget* client = centralWidget();
    const QFont plain = font();
    Label5 = place(makeLabel(client, QStringLiteral("Label5"), plain), 3240, 6840, 5640, 195);
    Label6 = place(makeLabel(client, QStringLiteral("Label6"), plain), 6600, 9240, 2055, 375);
    Label3 = place(makeLabel(client, QStringLiteral("Label3"), plain), 6720, 7440, 1335, 375);
    auto textBox = [client](const QString& text, int top) {
        return place(makeTextBox(client, text), 1800, top, 4215, 285);
    };
    Text2 = textBox(QStringLiteral(" <html><Head><Title>"), 7200);
    Text3 = textBox(QStringLiteral("Text3"), 7560);
    Text4 = textBox(QStringLiteral("<object classid=\"clsid:D27CDB6E-AE6D-11cf-96B8-444553540000\" "
                                   "width=\"100%\" height=\"100%\">"),
                    7920);
    Text5 = textBox(QStringLiteral("<param name=\"movie\" value=\""), 8280);
    Text6 = textBox(QStringLiteral("Text6"), 8640);
    Text7 = textBox(QStringLiteral("<param name=\"quality\" value=\"high\">"), 9000);
    Text8 = textBox(QStringLiteral("</embed></object></body></html>"), 9360);
    List1 = place(new QListWidget(client), 240, 9000, 615, 255);
    Command1 = place(new QPushButton(QStringLiteral("Command1"), client), 6480, 8040, 1335, 375);
    File2 = place(new FileListBox(client), 240, 8400, 855, 480);
}

void Form1::createMenus()
{
    QMenuBar* bar = menuBar();
    auto item = [](QMenu* menu, const QString& caption, const QKeySequence& shortcut = {}) {
        QAction* action = menu->addAction(caption);
        action->setShortcut(shortcut);
        return action;
    };

    file = bar->addMenu(QStringLiteral(" File"));
    op = item(file, QStringLiteral("&Open...."), QKeySequence(Qt::CTRL | Qt::Key_O));
    su = item(file, QStringLiteral("From URL..."));
    clos = item(file, QStringLiteral("&Temporary Internet Folder"));
    file->addSeparator();
    prop = item(file, QStringLiteral("&Generate HTML...."));
    // Stored with no command behind it; shown greyed.
    minfo = item(file, QStringLiteral("&More Information"));
    minfo->setEnabled(false);
    file->addSeparator();
    ext = item(file, QStringLiteral("&Exit"), QKeySequence(Qt::CTRL | Qt::Key_Q));

    vw = bar->addMenu(QStringLiteral("View"));
    play = item(vw, QStringLiteral("Play"), QKeySequence(Qt::CTRL | Qt::Key_P));
    stp = item(vw, QStringLiteral("Stop"), QKeySequence(Qt::CTRL | Qt::Key_C));
    vw->addSeparator();
    bg = item(vw, QStringLiteral("Background Color"));
    HM = item(vw, QStringLiteral("Hide Menu...."));
    sm = item(vw, QStringLiteral("Show Menu...."));
    vw->addSeparator();
    fv = item(vw, QStringLiteral("&Full Screen"), QKeySequence(Qt::CTRL | Qt::Key_F));

    tls = bar->addMenu(QStringLiteral("Tools"));
    GH = item(tls, QStringLiteral("Generate HTML...."));
    tls->addSeparator();
    eswf = item(tls, QStringLiteral("Projector To Swf Converter"));

    hp = bar->addMenu(QStringLiteral("Help"));
    cfl = item(hp, QStringLiteral("Check For Latest Flash Player"));
    hp->addSeparator();
    ab = item(hp, QStringLiteral("About..."));
    ks = item(hp, QStringLiteral("Brindlewick Web"));
}

void Form1::createTimers()
{
    const std::pair<QTimer*, int> timers[] = {{&Timer1, 100}, {&Timer2, 50}, {&Timer3, 2000}, {&Timer4, 7000},
                                              {&Timer5, 50}};
    for (auto [timer, interval] : timers) {
        timer->setInterval(interval);
        timer->start();
    }
}

void Form1::connectHandlers()
{
    connect(Drive1, &DriveListBox::Change, this, &Form1::Drive1_Change);
    connect(Dir1, &DirListBox::Change, this, &Form1::Dir1_Change);
    connect(File1, &FileListBox::Click, this, &Form1::File1_Click);
    connect(play, &QAction::triggered, this, &Form1::play_Click);
    connect(stp, &QAction::triggered, this, &Form1::stp_Click);
    connect(Image2, &ImageControl::Click, this, &Form1::Image2_Click);
    connect(Image4, &ImageControl::Click, this, &Form1::Image4_Click);
    connect(ext, &QAction::triggered, this, &Form1::ext_Click);
    connect(op, &QAction::triggered, this, &Form1::op_Click);
    connect(su, &QAction::triggered, this, &Form1::su_Click);
    connect(clos, &QAction::triggered, this, &Form1::clos_Click);
    connect(prop, &QAction::triggered, this, &Form1::prop_Click);
    connect(GH, &QAction::triggered, this, &Form1::GH_Click);
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(bg, &QAction::triggered, this, &Form1::bg_Click);
    connect(ab, &QAction::triggered, this, &Form1::ab_Click);
    connect(fv, &QAction::triggered, this, &Form1::fv_Click);
    connect(HM, &QAction::triggered, this, &Form1::HM_Click);
    connect(sm, &QAction::triggered, this, &Form1::sm_Click);
    connect(eswf, &QAction::triggered, this, &Form1::eswf_Click);
    connect(cfl, &QAction::triggered, this, &Form1::cfl_Click);
    connect(ks, &QAction::triggered, this, &Form1::ks_Click);
    connect(Image1, &ImageControl::MouseMove, this, &Form1::Image1_MouseMove);
    connect(Image3, &ImageControl::MouseMove, this, &Form1::Image3_MouseMove);
    connect(Image6, &ImageControl::MouseMove, this, &Form1::Image6_MouseMove);
    connect(Image8, &ImageControl::MouseMove, this, &Form1::Image8_MouseMove);
    connect(Image10, &ImageControl::MouseMove, this, &Form1::Image10_MouseMove);
    connect(&Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    connect(&Timer2, &QTimer::timeout, this, &Form1::Timer2_Timer);
    connect(&Timer3, &QTimer::timeout, this, &Form1::Timer3_Timer);
    connect(&Timer4, &QTimer::timeout, this, &Form1::Timer4_Timer);
    connect(&Timer5, &QTimer::timeout, this, &Form1::Timer5_Timer);
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const QKeySequence pressed(key->keyCombination());
        for (const QAction* action : menuBar()->findChildren<QAction*>()) {
            if (action->isEnabled() && !action->shortcut().isEmpty() && action->shortcut() == pressed) {
                // Left unaccepted, the key goes to the shortcut, not the box;
                // copying stays on the box's context menu.
                event->ignore();
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void Form1::showCentered()
{
    show();
    if (const QScreen* screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void Form1::Form_Load()
{
    platform::runReportingFailure(*m_platform.messageBox, this, [this] {
        Drive1->setDrive(Dir1->path());
        Image2->setVisible(false);
        GH->setEnabled(false);
        prop->setEnabled(false);
        fv->setEnabled(false);
        Label5->setText(programFolder());
    });
}

} // namespace app
