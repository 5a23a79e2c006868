#pragma once

#include "colour/ColourValue.h"

#include <QWidget>
#include <array>

class DropDownList;
class HistoryStrip;
class OptionBox;
class PictureBox;
class QLabel;
class QScrollBar;
class QTimer;
class ScreenPlatform;
class TextBox;
class ToggleFrame;

// The one window. Its controls keep the names its handlers use; the handlers themselves live
// beside the subsystem they belong to (colour, sampling, history, settings).
class FenwoMain : public QWidget {
    Q_OBJECT
  public:
    explicit FenwoMain(ScreenPlatform &platform, QWidget *parent = nullptr);
    ~FenwoMain() override;

    // Runs Form_Load once before the first show, then starts the sampling timer.
    void setVisible(bool visible) override;

    // Controls, front to back as they stack.
    OptionBox *Check2 = nullptr;
    DropDownList *Combo1 = nullptr;
    QWidget *Picture2 = nullptr;
    QScrollBar *HScroll1 = nullptr;
    HistoryStrip *Picture4 = nullptr; // the swatches, Picture3(i), are drawn inside it
    std::array<TextBox *, 3> Text1{};
    PictureBox *Picture1 = nullptr;
    TextBox *Text2 = nullptr;
    QTimer *Timer1 = nullptr;
    ToggleFrame *Check1 = nullptr;
    std::array<QLabel *, 3> Label3{};
    QLabel *Image2 = nullptr;
    QLabel *Image1 = nullptr;
    QLabel *Label2 = nullptr;

    quintptr DesktopWnd = 0;
    int HistoryCount = 0;

    // The program's directory, where a portable settings file lives.
    QString AppPath;

    // Position in twips, as the settings file stores it; 0 normal, 1 minimised, 2 maximised.
    float Left() const;
    float Top() const;
    int WindowState() const;

    // Start-up and shutdown.
    void Form_Load();
    void Form_QueryUnload(int &Cancel, int &UnloadMode);

    // Colour presenter.
    void ShowColor(ColourValue colour);
    void Check2_Click();
    void Combo1_Click();
    void Text1_GotFocus(int Index);
    void Text2_GotFocus();

    // Sampling loop and hold.
    void Timer1_Timer();
    void Check1_Click();
    void Picture1_Click();

    // Capture: the swatch append, then the clipboard.
    void AppendSwatch();
    void CopyColor();

    // History strip.
    void HScroll1_Change();
    void HScroll1_Scroll();
    void Picture3_Click(qint64 Index);

  protected:
    void closeEvent(QCloseEvent *event) override;

  private:
    void RestorePosition();
    void RestoreUpperCase();
    void RestoreOutputFormat();
    void GiveJapaneseFont();
    void CreateControls();
    void ConnectHandlers();

    ScreenPlatform &platform_;
    bool loaded_ = false;
};
