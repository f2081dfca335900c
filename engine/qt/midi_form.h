#pragma once
// TMidiForm: the options dialog "設定". Its one group, "拡張子", shows
// whether script (.tgs) and archive (.tgp) files open with the engine and
// makes or removes that association. In player mode the engine hides the
// group and shortens the dialog; OK and Cancel keep to its bottom edge.

#include <QDialog>
#include <string>

class QGroupBox;
class QLabel;
class QPushButton;
class TInputHost;

class TMidiForm : public QDialog {
public:
    explicit TMidiForm(TInputHost& host, QWidget* parent = nullptr);

    QGroupBox* GroupBox2 = nullptr;
    QLabel* Label2 = nullptr;
    QPushButton* KaijoButton = nullptr; // "関連付け解除"
    QPushButton* DukeButton = nullptr;  // "関連付け実行"
    QPushButton* Button1 = nullptr;     // "OK"
    QPushButton* Button2 = nullptr;     // "Cancel"

    // True when the association is in place; keeps its open command.
    bool IsAssociated();
    // Shows the association's state and enables the button that changes it.
    void UpdateAssocState();
    // The open command read by the last IsAssociated (UTF-8).
    const std::string& OpenCommand() const { return FOpenCommand; }

    void DukeButtonClick();
    void KaijoButtonClick();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void PlaceButtons();

    TInputHost& FHost;
    std::string FOpenCommand;
};
