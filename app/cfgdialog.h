#pragma once

#include "controls/tcolor.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <optional>

class QCheckBox;
class QColorDialog;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QStringListModel;
class TSpinFloatEdit;
class ToColorCombo;

// What one opening of the settings dialog starts from: the run-time homes of
// the settings it edits.
struct CfgValues {
    TColor c1 = clBlack;    // colour of PanelTimer
    TColor c3 = clBlack;    // passive digits, the Tag of PanelTimer
    int port = 0;           // 0 = none, n = COMn
    int alg = 0;            // the light barrier's event edge; negative locks the port list
    int waitStart = 100;    // TimerLS interval in ms
    QString lang;
    int charSet = 0;
    bool playZeit = true;
};

// The settings dialog "Einstellungen". Its lists of character sets,
// languages and ports are built once, when it is created; each opening fills
// the controls from the homes (fill), shows the dialog modally and leaves it
// to the main window to write the chosen values back.
//
// The language list previews: picking a language or a character set raises
// languagePicked / charSetPicked at once, and the main window applies it.
class TCfgDialog : public QDialog {
    Q_OBJECT
public:
    // comPorts is the start-up port probe: bit n-1 set when COMn answered,
    // the upper 16 bits the highest port number found.
    TCfgDialog(const QString& programDir, quint32 comPorts, int charSet, QWidget* parent = nullptr);

    void fill(const CfgValues& values);

    // The index of the selected port entry (0 "Keine", -1 none) and the one
    // selected when the dialog was filled.
    int portIndex() const;
    int portIndexAtFill() const { return m_portIndexAtFill; }
    // The port of the selected entry: "COM3" gives 3; no entry or "Keine" 0.
    int selectedPort() const;
    int algIndex() const;
    int waitStartMs() const;
    TColor colorFon() const;
    TColor colorCifra() const;
    bool playZeit() const;
    int charSetIndex() const;
    QString langText() const;  // the text cbLang shows
    int langIndex() const;
    int langIndexAtFill() const { return m_langIndexAtFill; }
    // The language name when the dialog became visible; Cancel goes back to it.
    QString langAtShow() const { return m_langAtShow; }

    // The character set a language name asks for: 3 ("RUSSIAN") for Russian
    // and Ukrainian names, in Latin or Cyrillic letters, else 0 ("DEFAULT").
    static int charSetForLanguage(const QString& name);

    // How "Other..." asks for a colour; the default runs ColorDialog1.
    // nullopt: cancelled.
    using ColorChooser = std::function<std::optional<QColor>(const QColor& initial)>;
    void setColorChooser(ColorChooser chooser) { m_chooseColor = std::move(chooser); }

signals:
    // Lang and CharSet have changed to these values; load and apply the file.
    void languagePicked(const QString& name, int charSet);
    // CharSet has changed; apply the texts already loaded again.
    void charSetPicked(int charSet);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void build();
    void buildLists(const QString& programDir, quint32 comPorts, int charSet);
    void cbPortChange();
    void cbLangChange();
    void cbCharsetChange();
    void cbColorCifraChange(ToColorCombo* combo);
    std::optional<QColor> runColorDialog(const QColor& initial);

public:
    QLabel* ImageLng = nullptr;
    QComboBox* cbLang = nullptr;
    QComboBox* cbCharset = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QLabel* Label4 = nullptr;
    ToColorCombo* cbColorFon = nullptr;
    QLabel* Label5 = nullptr;
    ToColorCombo* cbColorCifraF = nullptr;
    QLabel* Label6 = nullptr;
    QComboBox* cbPort = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* cbAlg = nullptr;
    QLabel* Label10 = nullptr;
    TSpinFloatEdit* seWait = nullptr;
    QLabel* Label11 = nullptr;
    QCheckBox* cbSound = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
    QColorDialog* ColorDialog1 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Image2 = nullptr;

private:
    ColorChooser m_chooseColor;
    int m_alg = 0;
    QString m_lang;
    int m_portIndexAtFill = 0;
    int m_langIndexAtFill = 0;
    QString m_langAtShow;
};

// The pictures of the dialog, drawn here.
QPixmap paintLanguagePicture();                // ImageLng, 21 by 26
QPixmap paintContactPicture(bool closed);      // Image1 (closed) and Image2 (open), 41 by 16
