#pragma once
// TTGMsg: the engine's message window. Every message line, echo of a typed
// command and error report arrives through AddText and is kept in three
// views: word-wrapped rows on the game screen's text layer inside a frame
// cut from a 9-slice skin, a backlog of the wrapped lines with their colour
// and bold runs to scroll back through, and the unwrapped log in the
// message-and-input window. In sub-window mode the text goes to the sub
// window instead.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/stringlist.h"
#include "engine/screen/msg_tags.h"
#include "classlib/colors.h"

class TBitmap32;
class TBitmapLayer;
class TFont;
class TMsgLog;
class TScreenHost;
class TTGGrp;

class TTGMsg {
public:
    // The main window passes (1000, false, its log box, the screen object,
    // 26, 304, 588, 120, a white 12-pixel "ＭＳゴシック", built-in picture 2).
    TTGMsg(TScreenHost& host, int maxLines, bool onScreen, TMsgLog* log, TTGGrp& screen, int left, int top, int width,
        int height, const TFont& font, const TBitmap32& skin);
    ~TTGMsg();
    TTGMsg(const TTGMsg&) = delete;
    TTGMsg& operator=(const TTGMsg&) = delete;

    // New text area, font and frame; shows the newest rows.
    void SetBounds(int left, int top, int width, int height, const TFont& font);
    // Whether SetBounds can take that area with a font of that height: the
    // frame and the skin's cells fit in a bitmap, and every edge of the
    // frame in an int.
    static bool BoundsFit(int left, int top, int width, int height, int fontHeight);
    // Keeps a copy; the frame shows it from the next SetBounds.
    void SetSkin(const TBitmap32& bitmap);
    // Line pitch as a rate of the line height; applies from the next drawn line.
    void SetLineRate(float rate);
    float LineRate() const { return FLineRate; }
    // Entries of the message colour table; indices outside 0..15 are ignored
    // (GetColor answers black for them).
    void SetColor(int index, TColor color);
    TColor GetColor(int index) const;

    // Shows one text. Line breaks in it start new lines. With FTagMode a
    // colour tag whose number is no integer raises EConvertError.
    void AddText(std::string_view text);
    // Empties the window, the backlog and the log (or only the sub window in
    // sub-window mode). The tag state stays.
    void Clear();
    // Scroll back / forward N lines. Bit 0 of the result: lines lie above
    // the shown ones; bit 1: lines lie below.
    uint8_t ScrollUp(int n);
    uint8_t ScrollDown(int n);
    // Shows the newest rows and leaves scroll-back; hides both scroll marks.
    void ScrollToEnd();

    // Shows or hides the frame and text layers.
    void SetVisible(bool value);
    bool GetVisible() const;
    void SetActive(bool value);
    // Minus the font's height: the pixel size of the text.
    int LineHeight() const;

    // The window is scrolled back: the first shown line lies above the newest
    // rows. The main window's Enter then returns to the end.
    bool FScrolled = false;
    // Tags in AddText are interpreted; the interpreter sets it around each
    // message line while *TAG is on.
    bool FTagMode = false;

    const TStringList& Backlog() const { return FBacklog; }
    // The runs of backlog line `index`.
    const TTagInfoList& LineRuns(int index) const;
    int FirstLine() const { return FFirstLine; }
    int Row() const { return FRow; }
    int Rows() const { return FRows; }
    int Left() const { return FLeft; }
    int Top() const { return FTop; }
    int Right() const { return FRight; }
    int Bottom() const { return FBottom; }
    int MaxLines() const { return FMaxLines; }
    bool OnScreen() const { return FOnScreen; }
    int CurColor() const { return FCurColor; }
    bool CurBold() const { return FCurBold; }
    const TBitmap32& Skin() const { return *FSkin; }

private:
    // One text without line breaks.
    void AddOneText(std::string_view text);
    void AddToSubWindow(std::string_view text);
    // A wrapped line joins the backlog with the runs of FCurRuns.
    void StoreLine(std::string line);
    void DrawLine(int row, std::string_view text);
    void DrawLines();
    void AddLine(std::string line, bool draw);
    // Move the area's rows up (down) by n rows; the rows that come free are
    // cleared.
    void ShiftRowsUp(int n);
    void ShiftRowsDown(int n);
    void ShiftRows(int n);
    // The view moved by delta lines (down for a positive delta): shift what
    // can be kept and draw the lines that came into view.
    void MoveView(int oldFirstLine);
    bool TrimBacklog();
    void TrimLog();
    // The line height the layout is made of: the font's pixel size, at
    // least 2 so that rows and half-width units stay countable.
    int LayoutHeight() const;
    int RowPitch() const;
    // The skin at cells of h pixels, stretched when it does not have them.
    TBitmap32& CellSkin(int h);
    void BuildFrame(int w, int h, int cell);

    TScreenHost& FHost;
    int FTop = 0;
    int FLeft = 0;
    int FRight = 0;
    int FBottom = 0;
    TTGGrp& FScreen;
    float FLineRate = 1.0f;
    int FFirstLine = 0;
    TFont* FFont = nullptr;
    TBitmap32* FTextBitmap = nullptr;
    int FRow = 0;
    int FRows = 1;
    TBitmapLayer* FFrameLayer = nullptr;
    // The skin as given; the frame is cut from a copy at the cell size, so
    // changing the font size back and forth never wears it down.
    std::unique_ptr<TBitmap32> FSkin;
    std::unique_ptr<TBitmap32> FScaledSkin;
    TMsgLog* FLog = nullptr;
    TStringList FBacklog;
    int FMaxLines = 0;
    bool FOnScreen = false;
    TTagInfoList FCurRuns;
    const TTagInfoList* FDrawRuns = &FCurRuns;
    // Entry i holds the runs of backlog line i.
    std::vector<TTagInfoList> FLineRuns;
    int FCurColor = 0;
    bool FCurBold = false;
};
