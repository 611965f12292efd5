#include "about_dialog.h"

#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

#include "qt/pictures.h"
#include "tallux/qt/painter_target.h"

namespace tallux::qt {

namespace {

constexpr int twipsPerInch = 1440;

// The faces that carry Traditional Chinese glyphs, tried after the named one.
const QStringList cjkFaces = {QStringLiteral("Noto Sans CJK TC"),
                              QStringLiteral("Noto Serif CJK TC")};

QString qtText(std::u16string_view s)
{
    return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size()));
}

QColor colorOf(const QWidget& w, Long color)
{
    return color == about::buttonFace ? w.palette().color(QPalette::Button) : hostColor(color);
}

} // namespace

QFont dialogFont(const about::Font& font)
{
    QFont f;
    f.setFamilies(QStringList{qtText(font.Name)} + cjkFaces);
    f.setPointSizeF(static_cast<double>(font.Size));
    f.setBold(font.Bold);
    f.setItalic(font.Italic);
    return f;
}

AboutDialog::AboutDialog(about::ComponentVersion version)
    : model_(version)
{
    setModal(true);
    setFixedSize(px(about::frmAbout::ScaleWidth), px(about::frmAbout::ScaleHeight));
    setAutoFillBackground(true);
    setWindowIcon(QIcon(QPixmap::fromImage(controlIcon())));

    lblTitle_ = new QLabel(this);
    lblVersion_ = new QLabel(this);
    lblVersion_->setObjectName(QStringLiteral("lblVersion"));
    for (std::size_t i = 0; i < cmdLang_.size(); ++i) {
        QPushButton* button = new QPushButton(this);
        button->setObjectName(QStringLiteral("cmdLang%1").arg(i));
        const about::CommandButton& m = model_.cmdLang[i];
        button->setGeometry(place(m.bounds));
        button->setFont(dialogFont(m.font));
        button->setText(qtText(m.Caption));
        connect(button, &QPushButton::clicked, this, [this, i] {
            model_.cmdLang_Click(static_cast<int>(i));
            refresh();
        });
        cmdLang_[i] = button;
    }

    picDesk_ = new QWidget(this);
    picDesk_->setGeometry(place(model_.picDesk.bounds));
    picDesk_->setAutoFillBackground(true);
    picDesk_->setPalette(QPalette(colorOf(*this, model_.picDesk.BackColor)));
    for (std::size_t i = 0; i < picLogos_.size(); ++i) {
        QLabel* logo = new QLabel(picDesk_);
        logo->setObjectName(QStringLiteral("picLogos%1").arg(i));
        logo->setGeometry(place(model_.picLogos[i].bounds));
        logo->setPixmap(QPixmap::fromImage(aboutLogo(i))
                            .scaled(logo->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
        picLogos_[i] = logo;
    }

    picture1_ = new QWidget(this);
    picture1_->setGeometry(place(model_.Picture1.bounds));
    picture1_->setAutoFillBackground(true);
    picture1_->setBackgroundRole(QPalette::Button);
    cmdOK_ = new QPushButton(picture1_);
    cmdOK_->setObjectName(QStringLiteral("cmdOK"));
    cmdOK_->setGeometry(place(model_.cmdOK.bounds));
    cmdOK_->setFont(dialogFont(model_.cmdOK.font));
    cmdOK_->setDefault(true);
    connect(cmdOK_, &QPushButton::clicked, this, [this] {
        model_.cmdOK_Click();
        refresh();
    });

    image1_ = new QLabel(this);
    image1_->setGeometry(place(model_.Image1.bounds));
    image1_->setPixmap(QPixmap::fromImage(controlIcon()).scaled(image1_->size()));

    // Form_Load: the dialog is centred on its screen, in twips.
    model_.Width = about::frmAbout::ScaleWidth;
    model_.Height = about::frmAbout::ScaleHeight;
    if (const QScreen* screen = this->screen()) {
        const QRect s = screen->geometry();
        model_.Form_Load(static_cast<Single>(s.width() * double{twipsPerInch} / logicalDpiX()),
                         static_cast<Single>(s.height() * double{twipsPerInch} / logicalDpiY()));
        move(s.left() + px(static_cast<Long>(model_.Left)),
             s.top() + px(static_cast<Long>(model_.Top)));
    }
    refresh();
}

int AboutDialog::px(Long twips) const
{
    return static_cast<int>(std::lround(static_cast<double>(twips) * logicalDpiX() / twipsPerInch));
}

QRect AboutDialog::place(const about::Bounds& b) const
{
    return {px(b.Left), px(b.Top), px(b.Width), px(b.Height)};
}

void AboutDialog::showLabel(const about::Label& m, QLabel* label) const
{
    label->setGeometry(place(m.bounds));
    label->setFont(dialogFont(m.font));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colorOf(*this, m.ForeColor));
    label->setPalette(palette);
    label->setText(qtText(m.Caption));
}

void AboutDialog::refresh()
{
    setWindowTitle(qtText(model_.Caption));
    showLabel(model_.lblTitle, lblTitle_);
    showLabel(model_.lblVersion, lblVersion_);
    cmdOK_->setText(qtText(model_.cmdOK.Caption));
    for (std::size_t i = 0; i < picLogos_.size(); ++i)
        picLogos_[i]->setVisible(model_.picLogos[i].Visible);
    if (!model_.loaded() && isVisible()) QDialog::done(QDialog::Accepted);
}

void AboutDialog::done(int result)
{
    // However the dialog closes (OK, the close box, Escape), it is unloaded.
    model_.Unload();
    QDialog::done(result);
}

bool AboutDialog::event(QEvent* e)
{
    if (e->type() == QEvent::WindowActivate) {
        model_.Form_Activate();
        refresh();
    }
    return QDialog::event(e);
}

void AboutDialog::paintEvent(QPaintEvent* e)
{
    QDialog::paintEvent(e);
    QPainter p(this);
    for (const about::LineShape& line : model_.Line1) {
        p.setPen(QPen(colorOf(*this, line.BorderColor), 1));
        p.drawLine(px(line.X1), px(line.Y1), px(line.X2), px(line.Y2));
    }
}

QImage AboutDialog::screenshot()
{
    refresh();
    const QImage client = grab().toImage();
    QFont captionFont = dialogFont({u"DejaVu Sans", 9, true, false});
    const int bar = QFontMetrics(captionFont).height() + 10;
    QImage shot(client.width() + 2, client.height() + bar + 1, QImage::Format_RGB32);
    shot.fill(QColor(0x20, 0x40, 0x80));
    QPainter p(&shot);
    p.drawImage(1, bar, client);
    p.drawImage(6, (bar - 16) / 2, controlIcon().scaled(16, 16));
    p.setFont(captionFont);
    p.setPen(Qt::white);
    p.drawText(QRect(28, 0, shot.width() - 30, bar), Qt::AlignVCenter | Qt::AlignLeft,
               windowTitle());
    return shot;
}

} // namespace tallux::qt
