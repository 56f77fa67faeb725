#pragma once

#include <QDialog>
#include <QUrl>

class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;

// The information window: product name, version, a few words about the
// program and a link. It has no close box; "Einverstanden" or Esc close it.
class TFormInfo : public QDialog {
    Q_OBJECT

public:
    static constexpr int kClientWidth = 256;
    static constexpr int kClientHeight = 441;

    explicit TFormInfo(QWidget* parent = nullptr);

    // Where the logo and the link lead. This project has no web site of its
    // own, so the link opens the program's folder: the place where the logo,
    // class list, sound and language files are put.
    static QUrl defaultLinkUrl();
    QUrl linkUrl() const { return m_linkUrl; }
    void setLinkUrl(const QUrl& url) { m_linkUrl = url; }

    QLabel* Image1() const { return m_image1; }
    QLabel* Label1() const { return m_label1; }
    QLabel* LabelVer() const { return m_labelVer; }
    QFrame* Panel1() const { return m_panel1; }
    QLabel* ImageICON() const { return m_imageIcon; }
    QPlainTextEdit* Memo1() const { return m_memo1; }
    QPushButton* sOK() const { return m_sOK; }
    QLabel* Lab() const { return m_lab; }
    QLabel* Label2() const { return m_label2; }

    // The text names the folder the daily backup goes to; until told, the
    // working folder.
    void setBackupFolder(const QString& folder);

    void sOKClick();
    // Opens the link with the desktop; whether that worked is not reported.
    void Image1Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QUrl m_linkUrl;
    QLabel* m_image1 = nullptr;
    QLabel* m_label1 = nullptr;
    QLabel* m_labelVer = nullptr;
    QFrame* m_panel1 = nullptr;
    QLabel* m_imageIcon = nullptr;
    QFrame* m_bevel1 = nullptr;
    QPlainTextEdit* m_memo1 = nullptr;
    QPushButton* m_sOK = nullptr;
    QLabel* m_lab = nullptr;
    QLabel* m_label2 = nullptr;
};
