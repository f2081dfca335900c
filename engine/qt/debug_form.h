#pragma once
// TDebugForm: the "Debug Window" (*SHOWDEBUG). The author types an
// expression or an assignment and the game's evaluator answers it below;
// assignments change the game's variables as script lines do. Every error
// of an evaluation becomes a line of the result box.

#include <QWidget>
#include <memory>
#include <string>

class QComboBox;
class QLabel;
class QPlainTextEdit;
class TInputHost;
class TKeyHook;

class TDebugForm : public QWidget {
public:
    explicit TDebugForm(TInputHost& host, QWidget* parent = nullptr);
    ~TDebugForm() override;

    QLabel* Label1 = nullptr;
    QComboBox* DebugComboBox = nullptr;
    QLabel* Label2 = nullptr;
    QPlainTextEdit* DebugMemo = nullptr;

    // Evaluates `expr` (Shift-JIS) and adds its result line.
    void Evaluate(const std::string& expr);
    // Adds `text` to the typed expressions unless it is there already.
    void AddHistory(const std::string& text);

    // Enter with a text: remembered, evaluated, and the box emptied.
    void DebugEditKeyDown(uint16_t& key);
    void DebugEditKeyPress(char& key);

private:
    void AddLine(const std::string& line);

    TInputHost& FHost;
    std::unique_ptr<TKeyHook> FHook;
};
