#include "about/Form2.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QWindow>

#include "about/AboutArtwork.h"
#include "platform/ColorDialog.h"
#include "platform/ComCtrls.h"
#include "platform/Platform.h"
#include "platform/Shell.h"
#include "platform/Twips.h"
#include "platform/WebAddresses.h"

namespace about {

namespace {

constexpr int kClientWidthTwips = 5370;
constexpr int kClientHeightTwips = 3270;

QPointer<Form2>& singleWindow()
{
    static QPointer<Form2> window;
    return window;
}

QFont arial()
{
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("Helvetica")});
    font.setPointSizeF(8.25);
    return font;
}

} // namespace

Form2::Form2(platform::Platform& platform, QWidget* mainWindow)
    // Not a child of the main window: disabling that would disable this too.
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                           | Qt::WindowCloseButtonHint)
    , m_platform(platform)
    , m_mainWindow(mainWindow)
{
    Form_Initialize();
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("About"));
    setFixedSize(platform::twipsToPixels(kClientWidthTwips), platform::twipsToPixels(kClientHeightTwips));
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);
    // The link's hover effect needs every movement, not only drags.
    setMouseTracking(true);
    buildControls();
    centreOnOwner();
    Form_Load();
}

Form2::~Form2()
{
    // However the window goes, the main window must not stay disabled.
    enableMainWindow();
}

void Form2::Form_Initialize()
{
    mComCtrls::InitComCtrls();
}

void Form2::buildControls()
{
    using platform::twipsRect;
    const QFont font = arial();
    auto label = [&](const QString& text, QRect twips) {
        auto* made = new QLabel(text, this);
        made->setGeometry(twips);
        made->setFont(font);
        return made;
    };

    Image1 = new QLabel(this);
    Image1->setGeometry(twipsRect(0, 0, 1575, 1485));
    Image1->setPixmap(artwork::picture());

    Label1 = label(QString::fromLatin1(kMakerLine), twipsRect(2280, 120, 2925, 225));
    QPalette link = Label1->palette();
    link.setColor(QPalette::WindowText, platform::fromBgr(kLinkColour));
    Label1->setPalette(link);
    Label1->setCursor(artwork::linkCursor());
    Label1->setMouseTracking(true);
    Label1->installEventFilter(this);

    Label2 = label(QString(), twipsRect(2280, 360, 1410, 225));
    Label3 = label(QStringLiteral("Version : 1.00"), twipsRect(2280, 600, 1125, 225));
    Label4 = label(QString::fromLatin1(kLegalNotice), twipsRect(120, 2160, 4335, 495));
    Label5 = label(QStringLiteral("Flash Player and Flash Are Trade Mark Of Macromedia Inc."),
                   twipsRect(120, 2760, 3975, 495));
    for (QLabel* notice : {Label4, Label5}) {
        notice->setWordWrap(true);
        notice->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }

    Command1 = new QPushButton(QStringLiteral("O.k"), this);
    Command1->setGeometry(twipsRect(4200, 2880, 1095, 325));
    Command1->setDefault(true);
    connect(Command1, &QPushButton::clicked, this, &Form2::Command1_Click);
}

void Form2::centreOnOwner()
{
    QRect area;
    if (m_mainWindow && m_mainWindow->isVisible())
        area = m_mainWindow->frameGeometry();
    else if (QScreen* screen = QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    if (area.isNull())
        return;
    QRect placed(QPoint(), size());
    placed.moveCenter(area.center());
    move(placed.topLeft());
}

Form2* Form2::showSingle(platform::Platform& platform, QWidget* mainWindow)
{
    QPointer<Form2>& window = singleWindow();
    if (!window) {
        window = new Form2(platform, mainWindow);
        // Kept above the main window by the desktop, as an owned window is.
        window->winId();
        if (mainWindow && mainWindow->windowHandle())
            window->windowHandle()->setTransientParent(mainWindow->windowHandle());
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

Form2* Form2::single()
{
    return singleWindow();
}

void Form2::Form_Load()
{
    if (m_mainWindow)
        m_mainWindow->setEnabled(false);
}

void Form2::Form_Unload()
{
    enableMainWindow();
}

void Form2::Form_MouseMove()
{
    setLinkUnderlined(false);
}

void Form2::Label1_MouseMove()
{
    setLinkUnderlined(true);
}

void Form2::Label1_Click()
{
    // What the shell makes of it is its own affair; the window stays as it is.
    if (m_platform.shell)
        m_platform.shell->open(QString::fromLatin1(platform::web::kMakerHome));
    setLinkUnderlined(false);
}

void Form2::Command1_Click()
{
    QPointer<QWidget> mainWindow = m_mainWindow;
    close();
    if (mainWindow)
        mainWindow->setEnabled(true);
}

void Form2::closeEvent(QCloseEvent* event)
{
    Form_Unload();
    event->accept();
}

void Form2::mouseMoveEvent(QMouseEvent* event)
{
    // Movement over a control that lets it through still arrives here; only
    // the window's own background counts.
    if (!childAt(event->position().toPoint()))
        Form_MouseMove();
    QWidget::mouseMoveEvent(event);
}

bool Form2::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Label1) {
        switch (event->type()) {
        case QEvent::MouseMove:
            Label1_MouseMove();
            break;
        case QEvent::MouseButtonPress:
            m_pressedOnLink = static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
            break;
        case QEvent::MouseButtonRelease: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            const bool click = m_pressedOnLink && mouse->button() == Qt::LeftButton
                               && Label1->rect().contains(mouse->position().toPoint());
            m_pressedOnLink = false;
            if (click)
                Label1_Click();
            break;
        }
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Form2::setLinkUnderlined(bool underlined)
{
    QFont font = Label1->font();
    if (font.underline() == underlined)
        return;
    font.setUnderline(underlined);
    Label1->setFont(font);
}

void Form2::enableMainWindow()
{
    if (m_mainWindow)
        m_mainWindow->setEnabled(true);
}

} // namespace about
