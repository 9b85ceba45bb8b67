#include "frmAbout.h"

#include "Controls.h"
#include "Openers.h"
#include "SystemInfo.h"
#include "Version.h"
#include "WebLinks.h"

#include <Twips.h>

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

namespace console {

using platform::twipsRect;
using platform::twipsToPixels;

namespace {
const QString kPause = QStringLiteral("Pause");
const QString kResume = QStringLiteral("Resume");

// Colours as 0xBBGGRR.
QColor colourOf(quint32 bgr) {
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

QFont arial(double points, bool bold) {
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

void paintBackground(QWidget* w, quint32 bgr) {
    QPalette palette = w->palette();
    palette.setColor(QPalette::Window, colourOf(bgr));
    w->setPalette(palette);
    w->setAutoFillBackground(true);
}

QLabel* text(QWidget* parent, const QString& caption, quint32 bgr, const QFont& font, const QRect& geometry) {
    auto* label = new QLabel(caption, parent);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colourOf(bgr));
    label->setPalette(palette);
    label->setFont(font);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(geometry);
    return label;
}

// Our own small mark: a gold disc with a V, on the banner's blue.
QPixmap velmoraMark() {
    QPixmap pixmap(20, 20);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(0xE8, 0xB8, 0x30));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(1, 1, 18, 18);
    painter.setPen(QPen(colourOf(0x800000), 2.2));
    painter.drawPolyline(QPolygonF({QPointF(5.5, 5.5), QPointF(10, 15), QPointF(14.5, 5.5)}));
    return pixmap;
}
} // namespace

frmAbout::frmAbout(platform::Desktop& desktop, const SystemKeys& keys, QWidget* parent)
    : QDialog(parent), m_desktop(desktop), m_keys(keys) {
    // No caption, a fixed border.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint);
    setFixedSize(twipsToPixels(5985), twipsToPixels(3585));
    setFont(arial(8.25, true));
    const QFont body = arial(9.75, false);
    const QFont small = arial(8.25, false);

    Frame1 = new QFrame(this);
    Frame1->setGeometry(twipsRect(0, 0, 6135, 615));
    paintBackground(Frame1, 0x800000);
    QFont titleFont = arial(14.25, true);
    lblTitle = text(Frame1, QString(), 0xFFFFFF, titleFont, twipsRect(0, 0, 6015, 360));
    lblTitle->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    QFont courier(QStringLiteral("Courier"));
    courier.setStyleHint(QFont::TypeWriter);
    courier.setPointSizeF(9.75);
    lblVersion = text(Frame1, QString(), 0xFFFFFF, courier, twipsRect(120, 360, 3135, 345));
    Image1 = new QLabel(Frame1);
    Image1->setPixmap(velmoraMark());
    Image1->setGeometry(2, 2, 20, 20);
    Image1->setToolTip(QStringLiteral("Visit Velmora on the web"));
    Image1->setCursor(Qt::PointingHandCursor);
    Image1->installEventFilter(this);
    Image1->raise();

    Picture1 = new QFrame(this);
    Picture1->setGeometry(twipsRect(120, 720, 5750, 2340));
    paintBackground(Picture1, 0x400000);
    fraBox = new QFrame(Picture1);
    paintBackground(fraBox, 0x400000);
    Label2 = text(
        fraBox,
        QStringLiteral("Velmora's Tarnwick allows multiplayer game (such as Quake III Arena and Sin) server "
                       "admins to send commands to thier game servers without the need of having the game "
                       "installed on the client system."),
        0xFFFFFF, body, twipsRect(120, 0, 5295, 975));
    Label4 = text(fraBox, QString(), 0xFFFFFF, body, twipsRect(120, 1080, 5295, 735));
    Label1 = text(
        fraBox,
        QStringLiteral("This latest release introduces support for Quake2, Elite Force, Return To Castle "
                       "Wolfenstein, and much more!"),
        0xFFFFFF, body, twipsRect(120, 1920, 5295, 855));
    lblDescription = text(fraBox,
                          QStringLiteral("A Velmora tool for game-server admins - %1")
                              .arg(QUrl(QLatin1String(kMakerSite)).host()),
                          0xC0C0C0, small, twipsRect(120, 2640, 5295, 210));
    Label3 = text(fraBox, QStringLiteral("Quake 3 Arena is a registered trademark of Id Software, Inc."),
                  0xC0C0C0, small, twipsRect(120, 2825, 4935, 255));

    UserControl11 = new QFrame(this);
    UserControl11->setFrameShape(QFrame::HLine);
    UserControl11->setFrameShadow(QFrame::Sunken);
    UserControl11->setGeometry(twipsRect(120, 3045, 5750, 60));

    cmdSysInfo = new QPushButton(QStringLiteral("&System Info..."), this);
    controls::place(cmdSysInfo, {2640, 3160, 1935, 350});
    cmdPause = new QPushButton(kPause, this);
    controls::place(cmdPause, {1320, 3160, 1185, 350});
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    controls::place(cmdOK, {4680, 3160, 1185, 350});
    cmdOK->setDefault(true);

    tmrMain = new QTimer(this);
    tmrMain->setInterval(50);

    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    connect(cmdPause, &QPushButton::clicked, this, &frmAbout::cmdPause_Click);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);
    connect(tmrMain, &QTimer::timeout, this, &frmAbout::tmrMain_Timer);

    Form_Load();
}

void frmAbout::Form_Load() {
    lblVersion->setText(
        QStringLiteral("Version [%1.%2.%3]").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision));
    tmrMain->start();
    lblTitle->setText(QString::fromUtf8(kProductName));
    m_scroll.restart();
    placeBox();
}

void frmAbout::placeBox() {
    fraBox->setGeometry(twipsRect(120, m_scroll.top(), 5535, CreditsScroll::kBlockHeight));
}

void frmAbout::tmrMain_Timer() {
    m_scroll.tick();
    placeBox();
}

void frmAbout::cmdPause_Click() {
    if (cmdPause->text() == kPause) {
        tmrMain->stop();
        cmdPause->setText(kResume);
    } else {
        tmrMain->start();
        cmdPause->setText(kPause);
    }
}

void frmAbout::cmdOK_Click() {
    accept();
}

void frmAbout::done(int result) {
    tmrMain->stop();
    QDialog::done(result);
}

void frmAbout::cmdSysInfo_Click() {
    StartSysInfo({m_desktop, this, [this](const platform::Failure& f) { emit errorLogNotWritten(f.why); }},
                 m_keys);
}

void frmAbout::Image1_Click() {
    OpenWebPage(m_desktop, this, velmoraHomeAddress());
}

bool frmAbout::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Image1 && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        Image1_Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace console
