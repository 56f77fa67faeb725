#include "app/forminfo.h"

#include <QDesktopServices>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// Stands in for the desktop's browser: records every URL handed to it.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls.append(url); }
};

class FormInfoTest : public ::testing::Test {
protected:
    void SetUp() override { QDesktopServices::setUrlHandler(QStringLiteral("file"), &recorder, "open"); }
    void TearDown() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }

    void showInfo()
    {
        info.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&info));
        info.activateWindow();
    }

    UrlRecorder recorder;
    TFormInfo info;
};

TEST_F(FormInfoTest, LooksAsDesigned)
{
    EXPECT_EQ(info.windowTitle(), QStringLiteral("Information"));
    EXPECT_EQ(info.size(), QSize(256, 441));
    EXPECT_EQ(info.minimumSize(), info.maximumSize()) << "fixed dialog border";
    EXPECT_EQ(info.palette().color(QPalette::Window), QColor(192, 192, 192));

    for (const char* name : {"Image1", "Label1", "LabelVer", "Panel1", "ImageICON", "Bevel1", "Memo1",
                             "sOK", "Lab", "Label2"})
        EXPECT_NE(info.findChild<QWidget*>(QLatin1String(name)), nullptr) << name;

    EXPECT_EQ(info.Image1()->size(), QSize(238, 65));
    EXPECT_FALSE(info.Image1()->pixmap().isNull());
    EXPECT_EQ(info.Image1()->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(info.Image1()->geometry().center().x(), info.rect().center().x());

    EXPECT_EQ(info.Label1()->text(), QStringLiteral("Pylonix"));
    const QFont title = info.Label1()->font();
    EXPECT_EQ(title.pixelSize(), 17);
    EXPECT_TRUE(title.bold());
    EXPECT_TRUE(title.underline());
    EXPECT_EQ(info.Label1()->palette().color(QPalette::WindowText), QColor(128, 0, 0));
    EXPECT_TRUE(info.Label1()->alignment() & Qt::AlignRight);
    EXPECT_EQ(info.LabelVer()->text(), QStringLiteral("Version 2.5 (22.05.2016)"));
    EXPECT_FALSE(info.ImageICON()->pixmap().isNull());

    EXPECT_TRUE(info.Memo1()->isReadOnly());
    EXPECT_FALSE(info.Memo1()->focusPolicy() & Qt::TabFocus);
    EXPECT_EQ(info.Memo1()->font().pixelSize(), 12);
    EXPECT_FALSE(info.Memo1()->toPlainText().isEmpty());

    EXPECT_EQ(info.sOK()->text(), QStringLiteral("Einverstanden"));
    EXPECT_TRUE(info.sOK()->font().bold());
    EXPECT_EQ(info.sOK()->font().pixelSize(), 15);
    EXPECT_FALSE(info.sOK()->icon().isNull());

    EXPECT_TRUE(info.Label2()->font().underline());
    EXPECT_EQ(info.Label2()->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    EXPECT_EQ(info.Label2()->cursor().shape(), Qt::PointingHandCursor);
}

TEST_F(FormInfoTest, HasNoCloseBox)
{
    const Qt::WindowFlags flags = info.windowFlags();
    EXPECT_TRUE(flags & Qt::CustomizeWindowHint);
    EXPECT_TRUE(flags & Qt::WindowTitleHint);
    EXPECT_FALSE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowSystemMenuHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowContextHelpButtonHint);
}

TEST_F(FormInfoTest, OkButtonCloses)
{
    showInfo();
    QTest::mouseClick(info.sOK(), Qt::LeftButton);
    EXPECT_FALSE(info.isVisible());
    EXPECT_EQ(info.result(), QDialog::Accepted);
}

TEST_F(FormInfoTest, EscapeCloses)
{
    showInfo();
    QTest::keyClick(&info, Qt::Key_Escape);
    EXPECT_FALSE(info.isVisible());
}

TEST_F(FormInfoTest, OtherKeysDoNothing)
{
    showInfo();
    QTest::keyClick(&info, Qt::Key_A);
    QTest::keyClick(&info, Qt::Key_F3);
    EXPECT_TRUE(info.isVisible());
}

TEST_F(FormInfoTest, RunsModallyUntilEscape)
{
    // The way the main window opens it: exec() returns once Esc was pressed.
    QTimer::singleShot(0, &info, [this] { QTest::keyClick(&info, Qt::Key_Escape); });
    EXPECT_EQ(info.exec(), QDialog::Rejected);
    EXPECT_FALSE(info.isVisible());
}

TEST_F(FormInfoTest, LogoAndLinkOpenTheAddress)
{
    showInfo();
    QTest::mouseClick(info.Image1(), Qt::LeftButton);
    QTest::mouseClick(info.Label2(), Qt::LeftButton);
    QTest::mouseClick(info.Label1(), Qt::LeftButton);  // not a link
    ASSERT_EQ(recorder.urls.size(), 2);
    EXPECT_EQ(recorder.urls[0], TFormInfo::defaultLinkUrl());
    EXPECT_EQ(recorder.urls[1], TFormInfo::defaultLinkUrl());
    EXPECT_TRUE(recorder.urls[0].isLocalFile());
    EXPECT_TRUE(info.isVisible()) << "following the link keeps the window open";
}

TEST_F(FormInfoTest, UnopenableAddressIsIgnored)
{
    info.setLinkUrl(QUrl(QStringLiteral("nosuchscheme-pylonix:nowhere")));
    showInfo();
    QTest::mouseClick(info.Label2(), Qt::LeftButton);
    EXPECT_TRUE(info.isVisible());
    EXPECT_TRUE(recorder.urls.isEmpty());
}

TEST(FormInfoPlacementTest, CentredOnItsParent)
{
    QWidget mainWindow;
    mainWindow.setGeometry(50, 40, 700, 520);
    mainWindow.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&mainWindow));
    TFormInfo info(&mainWindow);
    info.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&info));
    const QPoint delta = info.frameGeometry().center() - mainWindow.frameGeometry().center();
    EXPECT_LE(delta.manhattanLength(), 2) << delta.x() << "," << delta.y();
}

} // namespace

#include "forminfo_test.moc"
