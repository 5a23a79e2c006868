#pragma once

#include "core/FenwoMain.h"
#include "core/WindowView.h"
#include "core/window/WindowLayout.h"

#include <QWidget>
#include <array>

class DropDownList;
class HistoryStrip;
class LoupeBox;
class OptionBox;
class PictureBox;
class QLabel;
class QScrollBar;
class QTimer;
class TextBox;
class ToggleFrame;

// The preview's own tooltip: sampling on or off.
QString PreviewTip();

// The one window, drawn with Qt widgets. The state and the handlers are the core's, which the
// program owns; the widgets show what it says and pass every event on to the handler of the
// same name.
class FenwoMainWindow final : public QWidget, public WindowView {
    Q_OBJECT
  public:
    explicit FenwoMainWindow(QWidget *parent = nullptr);
    ~FenwoMainWindow() override;

    // Builds the controls and hands their events to core from then on: once, before anything
    // else. The core is made on this window as its view, so it comes after it.
    void Attach(FenwoMain &core);
    FenwoMain &Core() { return *core_; }

    // Runs Form_Load once before the first show, then starts the sampling timer.
    void setVisible(bool visible) override;

    // Controls, front to back as they stack.
    OptionBox *Check2 = nullptr;      // "大文字": upper-case hexadecimal codes
    DropDownList *Combo1 = nullptr;   // the code's format: HTML, hexadecimal, comma separated
    QWidget *Picture2 = nullptr;      // the history frame: shows 14 swatches of the strip
    QScrollBar *HScroll1 = nullptr;   // slides the strip, one swatch a step
    HistoryStrip *Picture4 = nullptr; // the strip itself; its swatches, Picture3(i), are drawn
    std::array<TextBox *, 3> Text1{}; // red, green, blue as decimal numbers
    PictureBox *Picture1 = nullptr;   // the preview: the colour under the pointer, or held
    TextBox *Text2 = nullptr;         // the colour code, what a capture copies
    QTimer *Timer1 = nullptr;         // the sampling tick: 50 ms, 200 ms while held
    ToggleFrame *Check1 = nullptr;    // the hold frame around the preview, pressed while held
    std::array<QLabel *, 3> Label3{}; // captions "R", "B", "G" over the number boxes
    QLabel *Image2 = nullptr;         // the small mark left of the history frame
    QLabel *Image1 = nullptr;         // the eyedropper picture
    QLabel *Label2 = nullptr;         // the hint at the bottom: point, then press Space
    LoupeBox *Picture5 = nullptr;     // the loupe: the pixels around the sampled one, magnified
    QLabel *Label4 = nullptr;         // the sampled pixel's place in screen pixels
    QLabel *Label5 = nullptr;         // the loupe's zoom and the sample's size

    // WindowView
    void ShowPreview(ColourValue colour) override;
    void ShowTexts(const ColourTexts &texts) override;
    void ShowHold(bool held) override;
    void ShowUpperCase(int value) override;
    void ShowFormat(int listIndex) override;
    void ShowPreviewTip(const std::string &text) override;
    void ShowHistory(const History &history, const StripScroll &strip) override;
    void ShowLoupePanel(bool visible) override;
    void ShowLoupe(const LoupePicture &picture) override;
    void SelectWholeText(TextField field) override;
    bool FocusCode() override;
    void SetTimerInterval(int milliseconds) override;
    void SetWindowTopmost() override;
    void MoveWindow(int x, int y) override;
    void UseJapaneseFont() override;
    bool AskYesNo(const std::string &question) override;
    std::optional<SaveChoice> AskSavePath(std::span<const PaletteFormat> types) override;

    // The window's own state, as the settings file keeps it: 0 normal, 1 minimised, 2 maximised.
    int WindowState() const;

    // Saves the settings as a close would, unless a close already did: for an end that never
    // reaches the event loop again.
    void SaveIfOpen();

  protected:
    void closeEvent(QCloseEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void changeEvent(QEvent *event) override;

  private:
    void CreateControls();
    QWidget *Control(ControlId id) const; // the widget of a row of the table; not the window
    void ConnectHandlers();
    TextBox *Box(TextField field) const;
    void ShowPreviewMenu(const QPoint &at);
    void ShowStripMenu(qint64 index, const QPoint &at);

    FenwoMain *core_ = nullptr;
    bool loaded_ = false;
    bool unloaded_ = false;
};
