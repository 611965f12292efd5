#pragma once

#include <QWidget>

#include "tallux/export.h"
#include "tallux/tallux.h"

class QLabel;

TALLUX_PUBLIC_BEGIN

namespace tallux::qt {

// The Tallux control on a Qt form. The widget is the control's site: its
// extent is the widget's size in twips at the screen's logical DPI, and a
// property change of the control is the signal controlPropertyChanged. At
// design time the widget shows the control's icon and keeps itself 400 by 400
// twips; at run time it stays invisible, as the control does on its host.
class TalluxWidget : public QWidget, public ControlSite {
    Q_OBJECT
public:
    enum class Mode { Design, Run };

    explicit TalluxWidget(Mode mode = Mode::Run, QWidget* parent = nullptr);

    Tallux& control() noexcept { return control_; }
    Mode mode() const noexcept { return mode_; }
    // The icon image on the control's surface (imgIcon).
    QLabel* iconLabel() const noexcept { return imgIcon_; }

    Extent extent() const override;
    void setExtent(Extent twips) override;
    void propertyChanged(std::string_view name) override;

    void setVisible(bool visible) override;
    QSize sizeHint() const override;

    int pixelsX(Long twips) const;
    int pixelsY(Long twips) const;

signals:
    void controlPropertyChanged(const QString& name);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    Tallux control_;
    Mode mode_;
    QLabel* imgIcon_;
    // The extent last set, kept while the widget's size is the one it gives:
    // a whole number of pixels cannot always carry a twips extent exactly.
    Extent extent_{};
};

} // namespace tallux::qt

TALLUX_PUBLIC_END
