#pragma once
// A status bar docked to the bottom edge of its window, spanning its width at
// its own height, with text panels addressed from 1. A right-click on it
// opens its window's window menu.
#include <QLabel>
#include <QStatusBar>

#include <vector>

namespace platform {

class StatusBar : public QStatusBar {
    Q_OBJECT
public:
    // One text panel. Texts show as plain text, clipped to the panel.
    class Panel {
    public:
        explicit Panel(QLabel* label) : label_(label) {}
        QString Text() const { return label_->text(); }
        void SetText(const QString& text) { label_->setText(text); }

    private:
        QLabel* label_;
    };

    static constexpr int PanelCount = 2;

    explicit StatusBar(QWidget* parent);

    // Panel `index`, 1 to PanelCount; any other index raises error 9.
    Panel& Panels(int index);

    // Height in twips.
    float Height() const;
    // Whether the bar is shown with its window; hidden, it leaves the whole
    // client area to the rest of the window.
    bool Visible() const { return !isHidden(); }
    void SetVisible(bool on) { setVisible(on); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void dock();

    std::vector<Panel> panels_;
};

}  // namespace platform
