#include "engine/qt/debug_form.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "base/conv.h"
#include "base/exceptions.h"
#include "engine/qt/form_style.h"
#include "engine/screen/input_host.h"
#include "platform/key_hook.h"

TDebugForm::TDebugForm(TInputHost& host, QWidget* parent) : QWidget(parent, Qt::Tool), FHost(host)
{
    setWindowTitle("Debug Window");
    setFont(FormFont());
    setGeometry(200, 374, 341, 232);

    Label1 = new QLabel(FormText(SJ("評価する式、または代入式：")), this);
    Label1->setObjectName("Label1");
    Label1->move(8, 8);
    Label1->adjustSize();

    DebugComboBox = new QComboBox(this);
    DebugComboBox->setObjectName("DebugComboBox");
    DebugComboBox->setEditable(true);
    // The list grows only through AddHistory, never by Enter on its own.
    DebugComboBox->setInsertPolicy(QComboBox::NoInsert);
    // The box evaluates exactly what was typed: no earlier entry is
    // completed into it; those come back through the list or the arrows.
    DebugComboBox->setCompleter(nullptr);
    DebugComboBox->setGeometry(8, 24, 320, 20);

    Label2 = new QLabel(FormText(SJ("結果:")), this);
    Label2->setObjectName("Label2");
    Label2->move(8, 48);
    Label2->adjustSize();

    DebugMemo = new QPlainTextEdit(this);
    DebugMemo->setObjectName("DebugMemo");
    DebugMemo->setGeometry(8, 64, 320, 129);
    DebugMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    FHook = std::make_unique<TKeyHook>(DebugComboBox);
    FHook->OnKeyDown = [this](uint16_t& key, TShiftState) { DebugEditKeyDown(key); };
    FHook->OnKeyPress = [this](char& key) { DebugEditKeyPress(key); };
}

TDebugForm::~TDebugForm()
{
    FHook.reset();
}

void TDebugForm::DebugEditKeyDown(uint16_t& key)
{
    if (key != VK_RETURN)
        return;
    const std::string text = sjis::FromUtf8(DebugComboBox->currentText().toStdString());
    if (text.empty())
        return;
    AddHistory(text);
    Evaluate(text);
    DebugComboBox->clearEditText();
}

void TDebugForm::DebugEditKeyPress(char& key)
{
    if (key == '\r')
        key = 0;
}

void TDebugForm::AddHistory(const std::string& text)
{
    const QString item = FormText(text);
    if (DebugComboBox->findText(item, Qt::MatchExactly | Qt::MatchCaseSensitive) < 0)
        DebugComboBox->addItem(item);
}

void TDebugForm::Evaluate(const std::string& expr)
{
    try {
        const TExprValue value = FHost.EvaluateExpr(expr);
        if (value.Kind == ekString)
            AddLine("[" + expr + "] = '" + value.StrValue + "'");
        else
            AddLine("[" + expr + "] = " + IntToStr(value.IntValue));
    } catch (const EConvertError&) {
        AddLine(SJ("文字列を数字に変換出来ませんでした。"));
    } catch (const std::exception& e) {
        // Script errors and the run-time's own (division by zero) alike.
        AddLine(e.what());
    }
}

void TDebugForm::AddLine(const std::string& line)
{
    DebugMemo->appendPlainText(FormText(line));
}
