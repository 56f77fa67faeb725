// Against the real office, headless: skipped where LibreOffice Calc or
// Debian's python3 with openpyxl (the independent reader) is missing.
#include "platform/unospreadsheet.h"
#include "results/spreadsheetexport.h"
#include "support/resulttables.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kPython = QStringLiteral("/usr/bin/python3");

bool readerPresent()
{
    return QProcess::execute(kPython, {QStringLiteral("-c"), QStringLiteral("import openpyxl")}) == 0;
}

QString readBack(const QString& path, const QString& script)
{
    QProcess python;
    python.start(kPython, {QStringLiteral("-c"), QStringLiteral("import openpyxl,sys\nwb=openpyxl.load_workbook(sys.argv[1])\n") + script, path});
    python.waitForFinished(30000);
    return QString::fromUtf8(python.readAllStandardOutput()).trimmed();
}

// Kills the office after a number of cell writes.
class KillingSpreadsheet : public platform::UnoSpreadsheet {
public:
    int writesLeft = 3;
    void setValues(int sheet, const platform::CellRange& range, const platform::CellRows& values) override
    {
        if (--writesLeft == 0)
            killOffice();
        UnoSpreadsheet::setValues(sheet, range, values);
    }
};

class OfficeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!platform::IsSpreadsheetAvailable() || !readerPresent())
            GTEST_SKIP() << "LibreOffice Calc or python3-openpyxl not installed";
        input.tables = QVector<ResultTable>(21, ResultTable::withHeading());
        input.tables[0] = makeTable({{"1.", "12", "00:00,00", "00:59,50", "", "", "00:59,50", "", "54,5", "1"},
                                     {"2.", "7", "=1+1", "", "", "", "", "", "", "2"}});
        input.classNames = {QStringLiteral("Junioren"), QStringLiteral("Junioren")};
        for (int p = 0; p < 21; ++p)
            input.pageCaptions << (p < 2 ? QStringLiteral("Junioren") : QString());
        input.fileName = dir.filePath(QStringLiteral("rennen.xlsx"));
    }
    QTemporaryDir dir;
    SpreadsheetExportInput input;
};

TEST_F(OfficeTest, SavedWorkbookReadsBackIndependently)
{
    platform::UnoSpreadsheet office;
    const auto result = ExportToSpreadsheet(office, input);
    ASSERT_TRUE(result.ok) << result.message(input.fileName).toStdString();
    EXPECT_EQ(readBack(input.fileName, QStringLiteral(
                  "ws=wb.worksheets[0]\n"
                  "print(len(wb.sheetnames), wb.sheetnames[0], wb.sheetnames[1]!='Junioren', ws['B1'].value, ws['B1'].font.b,"
                  " repr(ws['I2'].value), ws['D2'].value, ws['D2'].data_type, ws['C3'].value, ws['C3'].data_type, ws['A2'].font.b)")),
              QStringLiteral("21 Junioren True Nr. True 54.5 00:59,50 s =1+1 s False"));
}

TEST_F(OfficeTest, OfficeKilledMidExportLeavesTheOldFile)
{
    QFile old(input.fileName);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.close();
    {
        platform::UnoSpreadsheet first;
        ASSERT_TRUE(ExportToSpreadsheet(first, input).ok);
    }
    QFile file(input.fileName);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();

    KillingSpreadsheet office;
    const auto result = ExportToSpreadsheet(office, input);
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.step.startsWith(QStringLiteral("Klasse 3"))) << result.step.toStdString();
    EXPECT_TRUE(result.reason.contains(QStringLiteral("beendet"))) << result.reason.toStdString();
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"rennen.xlsx"});
}

TEST_F(OfficeTest, UpdateInPlaceKeepsStyleFormulaAndCommentAboveTheTable)
{
    // The operator's workbook: a styled note, a sum and a comment above an
    // earlier export's table, whose heading row is row 4.
    ASSERT_EQ(QProcess::execute(kPython, {QStringLiteral("-c"), QStringLiteral(
        "import openpyxl,sys\n"
        "from openpyxl.styles import Font,PatternFill\n"
        "from openpyxl.comments import Comment\n"
        "wb=openpyxl.Workbook();ws=wb.active\n"
        "ws['A1']='Lauf 3';ws['A1'].font=Font(bold=True,italic=True)\n"
        "ws['A1'].fill=PatternFill('solid',fgColor='FFFF00')\n"
        "ws['B2']='=1+2';ws['C2']='Notiz';ws['C2'].comment=Comment('Regen ab 14 Uhr','Leitung')\n"
        "ws['B4']='Nr.';ws['B5']='99'\n"
        "wb.save(sys.argv[1])\n"), input.fileName}), 0);

    platform::UnoSpreadsheet office;
    const auto result = ExportToSpreadsheet(office, input);
    ASSERT_TRUE(result.ok) << result.message(input.fileName).toStdString();
    EXPECT_EQ(readBack(input.fileName, QStringLiteral(
                  "ws=wb.worksheets[0]\n"
                  "print(ws['A1'].value, ws['A1'].font.b, ws['A1'].font.i, ws['A1'].fill.fgColor.rgb[-6:],"
                  " ws['B2'].value, ws['C2'].comment.text.strip(), ws['B4'].value, ws['B5'].value, ws['A5'].value, ws['I5'].value)")),
              QStringLiteral("Lauf 3 True True FFFF00 =1+2 Regen ab 14 Uhr Nr. 12 1. 54.5"));
}

}  // namespace
