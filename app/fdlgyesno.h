#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The one yes/no question every confirmation goes through. Only "Ja" lets the
// caller go ahead; "Nein", Esc and closing the window all mean no.
class TFDlgYesNo : public QDialog {
    Q_OBJECT
public:
    explicit TFDlgYesNo(QWidget* parent = nullptr);

    // The program-wide instance; created on first use when main() has not
    // created it yet (tests build windows without main()).
    static TFDlgYesNo* instance();
    // Sets the text, shows the dialog modally centred on `centreOn` and
    // returns true only for "Ja".
    static bool ask(const QString& question, QWidget* centreOn);

    void SetQuestion(const QString& text);
    QString question() const;
    bool questionIconShown() const;
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }

    int exec() override;

protected:
    void done(int result) override;

private:
    QLabel* m_label = nullptr;
    QLabel* m_icon = nullptr;
    QLabel* m_icon2 = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_lastFocus = nullptr;
};
