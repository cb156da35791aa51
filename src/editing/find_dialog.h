#pragma once
// The non-modal find dialog of the channel list: the text, the whole-word option, Find and
// Close. Its mode says what Find does: find the next row or select every matching row.
#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace cs::editing {

enum class FindMode { Next, All };

class FindDialog final : public QDialog {
    Q_OBJECT

public:
    explicit FindDialog(QWidget* parent = nullptr);

    QString searchText() const;
    void setSearchText(const QString& text);
    bool wholeWord() const;
    void setWholeWord(bool on);
    FindMode mode() const { return mode_; }
    void setMode(FindMode mode) { mode_ = mode; }
    // Captions in the current language.
    void setTexts(const QString& title, const QString& find, const QString& close, const QString& wholeWord);

signals:
    void findRequested();
    void shown();
    void closed();
    // The language changed: the owner sets the texts again.
    void languageChanged();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QLineEdit* text_ = nullptr;
    QCheckBox* wholeWord_ = nullptr;
    QPushButton* find_ = nullptr;
    QPushButton* close_ = nullptr;
    FindMode mode_ = FindMode::Next;
};

} // namespace cs::editing
