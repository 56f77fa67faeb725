#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <optional>
#include <vector>

class QIODevice;
class QWidget;

// One entry of the font character-set table: the name offered in the settings
// dialog, the character-set identifier of the Windows font interface (kept
// because widgets carry it as their "charSet" property), and the code page
// whose bytes the language file holds for it.
struct CharSetEntry {
    const char* name;
    int value;
    int codePage;
};

inline constexpr std::array<CharSetEntry, 16> kCharSets = {{
    {"DEFAULT", 1, 1252},      {"ANSI", 0, 1252},        {"EASTEUROPE", 238, 1250},
    {"RUSSIAN", 204, 1251},    {"ARABIC", 178, 1256},    {"GREEK", 161, 1253},
    {"TURKISH", 162, 1254},    {"BALTIC", 186, 1257},    {"THAI", 222, 874},
    {"MAC", 77, 10000},        {"SHIFTJIS", 128, 932},   {"HANGEUL", 129, 949},
    {"JOHAB", 130, 1361},      {"GB2312", 134, 936},     {"CHINESEBIG5", 136, 950},
    {"HEBREW", 177, 1255},
}};

// The entry for a CharSet index; an index outside the table gives entry 0.
const CharSetEntry& charSetEntry(int index);

// The dynamic property through which a widget receives the character set of
// the language texts (the Windows value, e.g. 204 for RUSSIAN). Text itself is
// already decoded to Unicode, so drawing needs nothing more; the property
// records what the texts were meant for.
inline constexpr char kCharSetProperty[] = "charSet";

// What a line of a language file replaces. Window selects the window whose
// child (found by objectName) is the target; an empty objectName is the
// window itself.
enum class LanguageWindow { None, Main, Settings, Info };
enum class LanguageAction {
    Hint,           // tool tip
    Caption,        // text of a label or button, title of a group box or window
    ZeitCaption,    // the caption the race clock puts back on bLAP
    CloseQuestion,  // "Programm beenden?"
    ClearQuestion,  // "Ergebnisse löschen?"
    WindowFont,     // the window's font receives the character set (no text)
};

struct LanguageLine {
    int line;
    LanguageWindow window;
    const char* objectName;
    LanguageAction action;
    bool font;  // the target's font receives the character set after its text
};

// The line map, in the order lines are applied. Lines not listed are read but
// have no effect.
inline constexpr std::array<LanguageLine, 31> kLanguageLines = {{
    {2, LanguageWindow::Main, "bHelp", LanguageAction::Hint, false},
    {3, LanguageWindow::Main, "bCFG", LanguageAction::Hint, false},
    {4, LanguageWindow::Main, "bInfo", LanguageAction::Hint, false},
    {15, LanguageWindow::Main, "bSTART", LanguageAction::Caption, true},
    {16, LanguageWindow::Main, "bLAP", LanguageAction::Caption, true},
    {16, LanguageWindow::None, "", LanguageAction::ZeitCaption, false},
    {17, LanguageWindow::Main, "bSTOP", LanguageAction::Caption, true},
    {18, LanguageWindow::Main, "sbLoad", LanguageAction::Hint, false},
    {20, LanguageWindow::Main, "sbSave", LanguageAction::Hint, false},
    {22, LanguageWindow::Main, "sbPlatz", LanguageAction::Hint, false},
    {23, LanguageWindow::Main, "sbCLS", LanguageAction::Hint, false},
    {29, LanguageWindow::Main, "Lab_Hour", LanguageAction::Caption, true},
    {30, LanguageWindow::Main, "Lab_Min", LanguageAction::Caption, true},
    {31, LanguageWindow::Main, "Lab_sek", LanguageAction::Caption, true},
    {32, LanguageWindow::Main, "Lab_100", LanguageAction::Caption, true},
    {34, LanguageWindow::Settings, "", LanguageAction::WindowFont, false},
    {35, LanguageWindow::Settings, "", LanguageAction::Caption, false},
    {36, LanguageWindow::Settings, "cbCharset", LanguageAction::Hint, true},
    {40, LanguageWindow::Main, "Label2", LanguageAction::Caption, true},
    {41, LanguageWindow::Settings, "Label1", LanguageAction::Caption, true},
    {42, LanguageWindow::Settings, "Label6", LanguageAction::Caption, true},
    {43, LanguageWindow::Main, "Label7", LanguageAction::Caption, true},
    {44, LanguageWindow::Settings, "Label10", LanguageAction::Caption, true},
    {45, LanguageWindow::Settings, "GroupBox1", LanguageAction::Caption, true},
    {46, LanguageWindow::Settings, "Label4", LanguageAction::Caption, true},
    {48, LanguageWindow::Settings, "Label5", LanguageAction::Caption, true},
    {49, LanguageWindow::Settings, "Label11", LanguageAction::Caption, true},
    {55, LanguageWindow::Settings, "CancelBtn", LanguageAction::Caption, true},
    {56, LanguageWindow::Info, "sOK", LanguageAction::Caption, true},
    {57, LanguageWindow::None, "", LanguageAction::CloseQuestion, false},
    {60, LanguageWindow::None, "", LanguageAction::ClearQuestion, false},
}};

// The texts of the line map that are not on a widget. Defaults: the built-in
// German texts.
struct LanguageTexts {
    QString closeQuestion = QStringLiteral("Programm beenden?");
    QString clearQuestion = QStringLiteral("Ergebnisse löschen?");
    QString zeitCaption = QStringLiteral("ZEIT");

    bool operator==(const LanguageTexts&) const = default;
};

// The windows whose controls receive the texts; a null window is skipped.
struct LanguageWindows {
    QWidget* main = nullptr;
    QWidget* settings = nullptr;
    QWidget* info = nullptr;
};

// The line table of the language file loaded last, and applying it.
//
// The table keeps raw bytes; they are decoded with the code page of the
// character set in force each time they are applied, so a change of CharSet
// re-reads the same lines. A new load overwrites only the lines the new file
// has: entries past its end keep the texts of an earlier, longer file.
class Language {
public:
    static constexpr int kEntries = 200;        // lines past the 200th are skipped
    static constexpr int kAppliedEntries = 65;  // applying always reads 1..65
    // Longer lines are cut here: no caption needs more, and a stray megabyte
    // line must not reach a button.
    static constexpr qsizetype kMaxLineBytes = 64 * 1024;
    // Reading stops after this many bytes, as if the file ended there: 200
    // lines never need more, and a stray huge file must not stall start-up.
    static constexpr qint64 kMaxFileBytes = 16 * 1024 * 1024;

    enum class LoadResult { Loaded, NotFound, Unreadable };

    // programDir + name + ".lng"; an empty name or "DEFAULT" simply names a
    // file that usually does not exist.
    static QString filePath(const QString& programDir, const QString& name);

    // Reads the file into the table. NotFound and Unreadable change nothing.
    LoadResult load(const QString& programDir, const QString& name);
    LoadResult loadFile(const QString& path);

    // Reads at most maxLines lines of raw bytes from the first maxBytes bytes.
    // CR LF, a lone LF and a lone CR each end a line; a last line without a
    // line end counts. Lines are cut at maxLineBytes. nullopt on a read error.
    static std::optional<std::vector<QByteArray>> readLines(QIODevice& device, int maxLines,
                                                            qsizetype maxLineBytes,
                                                            qint64 maxBytes = kMaxFileBytes);

    bool hasLoadedFile() const { return m_loaded; }
    // Entry 1..200 as stored; empty outside or when no file filled it.
    QByteArray rawLine(int line) const;
    // Entry 1..200 decoded with the code page of character set charSet.
    QString text(int line, int charSet) const;

    // Applies character set and texts. Missing windows and controls are
    // skipped. Before any file was loaded in this run only the character set
    // is given to the fonts and nullopt comes back (an empty table would blank
    // every caption); otherwise the question texts and the ZEIT caption.
    std::optional<LanguageTexts> apply(const LanguageWindows& windows, int charSet) const;

private:
    std::array<QByteArray, kEntries + 1> m_lines;  // index 0 unused
    bool m_loaded = false;
};
