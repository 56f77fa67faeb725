#include "app/fdlgyesno.h"
#include "app/messagebox.h"
#include "support/fakes.h"
#include "support/userinput.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// Runs `during` once the dialog is up, then returns the dialog's answer.
bool askWith(TFDlgYesNo& dialog, const QString& question, const std::function<void()>& during)
{
    dialog.SetQuestion(question);
    QTimer::singleShot(0, &dialog, [&] {
        QTRY_VERIFY(dialog.isVisible());
        QApplication::setActiveWindow(&dialog);
        QTRY_VERIFY(dialog.isActiveWindow());
        during();
    });
    return dialog.exec() == QDialog::Accepted;
}

TEST(QuestionDialog, CaptionSizeAndIcons)
{
    TFDlgYesNo dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Pylonix"));
    EXPECT_EQ(dialog.size(), QSize(222, 94));
    EXPECT_TRUE(dialog.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(dialog.okButton()->text(), QStringLiteral("Ja"));
    EXPECT_EQ(dialog.cancelButton()->text(), QStringLiteral("Nein"));
    EXPECT_FALSE(dialog.okButton()->isDefault());
    EXPECT_FALSE(dialog.cancelButton()->isDefault());

    dialog.SetQuestion(QStringLiteral("Rennen beenden?"));
    EXPECT_TRUE(dialog.questionIconShown());
    EXPECT_EQ(dialog.question(), QStringLiteral("Rennen beenden?"));
    dialog.SetQuestion(QStringLiteral("Achtung"));
    EXPECT_FALSE(dialog.questionIconShown());
}

TEST(QuestionDialog, EnterOnFirstUseAnswersYes)
{
    TFDlgYesNo dialog;
    EXPECT_TRUE(askWith(dialog, QStringLiteral("Programm beenden?"), [&] {
        EXPECT_TRUE(dialog.okButton()->hasFocus());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }));
}

TEST(QuestionDialog, EscapeAndCloseAnswerNo)
{
    TFDlgYesNo dialog;
    EXPECT_FALSE(askWith(dialog, QStringLiteral("Programm beenden?"),
                         [&] { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape); }));
    EXPECT_FALSE(askWith(dialog, QStringLiteral("Programm beenden?"), [&] { dialog.close(); }));
    EXPECT_FALSE(askWith(dialog, QStringLiteral("Programm beenden?"), [&] { dialog.cancelButton()->click(); }));
}

TEST(QuestionDialog, RemembersTheFocusedButton)
{
    TFDlgYesNo dialog;
    // Tab to "Nein" and press Enter there: the answer is no, and next time
    // the focus starts on "Nein".
    EXPECT_FALSE(askWith(dialog, QStringLiteral("Ergebnisse löschen?"), [&] {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_TRUE(dialog.cancelButton()->hasFocus());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }));
    EXPECT_FALSE(askWith(dialog, QStringLiteral("Ergebnisse löschen?"), [&] {
        EXPECT_TRUE(dialog.cancelButton()->hasFocus());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }));
    // Back to "Ja" by Tab; it is remembered again.
    EXPECT_TRUE(askWith(dialog, QStringLiteral("Ergebnisse löschen?"), [&] {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }));
    EXPECT_TRUE(askWith(dialog, QStringLiteral("Ergebnisse löschen?"), [&] {
        EXPECT_TRUE(dialog.okButton()->hasFocus());
        dialog.okButton()->click();
    }));
}

TEST(QuestionDialog, AskCentresOnTheGivenWindow)
{
    QWidget owner;
    owner.setGeometry(100, 100, 800, 500);
    owner.show();
    answerNextDialog(QStringLiteral("OKBtn"));
    EXPECT_TRUE(TFDlgYesNo::ask(QStringLiteral("KLASSE: Gruppe A?"), &owner));
    const QPoint centre = TFDlgYesNo::instance()->frameGeometry().center();
    EXPECT_LE(std::abs(centre.x() - owner.frameGeometry().center().x()), 2);
    EXPECT_LE(std::abs(centre.y() - owner.frameGeometry().center().y()), 2);
    answerNextDialog(QStringLiteral("CancelBtn"));
    EXPECT_FALSE(TFDlgYesNo::ask(QStringLiteral("KLASSE: Gruppe A?"), &owner));
}

}  // namespace

namespace {

TEST(MessageBox, AFileNameWithMarkupIsShownAsItStands)
{
    bool plain = false;
    onNextDialog([&](QWidget& box) {
        plain = drawnAsPlainText(box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label")));
        userKey(Qt::Key_Escape);
    });
    showPlainMessage(nullptr, QMessageBox::Information, QStringLiteral("Pylonix"),
                     QStringLiteral("Die Datei \"<b>Lauf</b>.txt\" konnte nicht gespeichert werden"));
    EXPECT_TRUE(plain);
}

}  // namespace
