#pragma once

#include <QDialog>
#include <QImage>
#include <array>

#include "tallux/about.h"

class QLabel;
class QPushButton;
class QWidget;

namespace tallux::qt {

// frmAbout on the screen: every control of the model as a Qt widget at its
// design-time place (twips turned into pixels at the screen's logical DPI).
// The model's handlers run on the widgets' events, and the widgets show the
// model again after each handler.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(about::ComponentVersion version = about::componentVersion());

    const about::frmAbout& model() const noexcept { return model_; }

    QPushButton* cmdLang(std::size_t index) const { return cmdLang_.at(index); }
    QPushButton* cmdOK() const { return cmdOK_; }
    QLabel* lblVersion() const { return lblVersion_; }
    QLabel* picLogos(std::size_t index) const { return picLogos_.at(index); }

    // The dialog as it looks on the screen, its caption bar drawn above the
    // client area (an offscreen window has no frame to show it).
    QImage screenshot();

    void done(int result) override;
    void unload() noexcept { model_.Unload(); }

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    int px(Long twips) const;
    QRect place(const about::Bounds& b) const;
    void showLabel(const about::Label& model, QLabel* label) const;
    // Shows the model's current state on the widgets; closes when unloaded.
    void refresh();

    about::frmAbout model_;
    QLabel* lblTitle_ = nullptr;
    QLabel* lblVersion_ = nullptr;
    std::array<QPushButton*, 2> cmdLang_{};
    QWidget* picDesk_ = nullptr;
    std::array<QLabel*, 2> picLogos_{};
    QWidget* picture1_ = nullptr;
    QPushButton* cmdOK_ = nullptr;
    QLabel* image1_ = nullptr;
};

// A font of the model in Qt, with a face that has the CJK glyphs behind the
// named one.
QFont dialogFont(const about::Font& font);

} // namespace tallux::qt
