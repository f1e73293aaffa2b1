// The window's own dialogs and boxes, answered through their buttons as a
// user would.
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "text/error.h"
#include "tests/windowkit.h"
#include "gui/qt/errorbox.h"
#include "gui/qt/qtprompts.h"

namespace {

// Acts on the next modal dialog or box as soon as its event loop runs.
void WhenModal(std::function<void(QWidget&)> act, QWidget* previous = nullptr) {
    QTimer::singleShot(0, [act, previous] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || modal == previous) return WhenModal(act, previous);
        act(*modal);
    });
}

QStringList ButtonTexts(const QMessageBox& box) {
    QStringList texts;
    for (const QAbstractButton* button : box.buttons())
        texts << button->text();
    return texts;
}

QAbstractButton* ButtonNamed(QMessageBox& box, const QString& text) {
    for (QAbstractButton* button : box.buttons())
        if (button->text() == text) return button;
    return nullptr;
}

// What a message box showed.
struct BoxSeen {
    QString Title, Text;
    QStringList Buttons;
    QMessageBox::Icon Icon{};
};

// Records the next message box into `seen`, then lets `answer` close it.
void WhenBox(BoxSeen& seen, std::function<void(QMessageBox&)> answer) {
    WhenModal([&seen, answer](QWidget& modal) {
        auto& box = dynamic_cast<QMessageBox&>(modal);
        seen = {box.windowTitle(), box.text(), ButtonTexts(box), box.icon()};
        answer(box);
    });
}

void PressReturn(QMessageBox& box) {
    QTest::keyClick(&box, Qt::Key_Return);
}

QLineEdit& NameEdit(QWidget& dialog) {
    return *dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
}

class WindowPromptsTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        std::filesystem::create_directories(Home() + "/Documents");
        form = Create(kLaprix2QuorbelII);
        form->show();
        prompts = std::make_unique<QtPrompts>(*form->OpenDialog1, *form->SaveDialog1, form.get());
    }
    void TearDown() override {
        prompts.reset();
        form.reset();
        WindowTest::TearDown();
    }

    std::unique_ptr<TForm1> form;
    std::unique_ptr<QtPrompts> prompts;
};

TEST_F(WindowPromptsTest, WarningBoxAsksYesOrNo) {
    enum class Answer { Yes, No, Escape, Close };
    struct Case {
        const char* Name;
        Answer Given;
        bool Result;
    };
    for (const Case& c :
         {Case{"Yes", Answer::Yes, true}, Case{"No", Answer::No, false},
          Case{"Escape", Answer::Escape, false}, Case{"closed", Answer::Close, false}}) {
        SCOPED_TRACE(c.Name);
        BoxSeen seen;
        WhenBox(seen, [&c](QMessageBox& box) {
            if (c.Given == Answer::Yes) ButtonNamed(box, "はい(&Y)")->click();
            if (c.Given == Answer::No) ButtonNamed(box, "いいえ(&N)")->click();
            if (c.Given == Answer::Escape) QTest::keyClick(&box, Qt::Key_Escape);
            if (c.Given == Answer::Close) box.close();
        });
        EXPECT_EQ(prompts->AskYesNoWarning("laps.csv は既に存在します。\r上書きしますか?"),
                  c.Result);
        EXPECT_EQ(seen.Title, "警告");
        EXPECT_EQ(seen.Text, "laps.csv は既に存在します。\n上書きしますか?");
        EXPECT_EQ(seen.Icon, QMessageBox::Warning);
        seen.Buttons.sort();
        EXPECT_EQ(seen.Buttons, QStringList({"いいえ(&N)", "はい(&Y)"}));
    }
}

TEST_F(WindowPromptsTest, InformationBoxHasOk) {
    BoxSeen seen;
    WhenBox(seen, PressReturn);
    prompts->ShowInformation("laps.csv を出力しました。");
    EXPECT_EQ(seen.Title, "情報");
    EXPECT_EQ(seen.Text, "laps.csv を出力しました。");
    EXPECT_EQ(seen.Icon, QMessageBox::Information);
    EXPECT_EQ(seen.Buttons, QStringList({"OK"}));
}

TEST_F(WindowPromptsTest, SaveDialogOffersThePresetAndConfirmsReplacing) {
    QFileDialog& dialog = *form->SaveDialog1;
    EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(dialog.nameFilters(), QStringList({"CSVファイル (*.[cC][sS][vV])"}));
    EXPECT_FALSE(dialog.testOption(QFileDialog::DontConfirmOverwrite));
    EXPECT_TRUE(dialog.isSizeGripEnabled());
    const std::string documents = Home() + "/Documents";

    // A preset name, accepted as it is.
    QString offered;
    WhenModal([&](QWidget& modal) {
        offered = NameEdit(modal).text();
        QTest::keyClick(&NameEdit(modal), Qt::Key_Return);
    });
    EXPECT_EQ(prompts->AskSavePath("Temp0003.csv"), documents + "/Temp0003.csv");
    EXPECT_EQ(offered, "Temp0003.csv");

    // No preset: the last name is not offered again. The name typed is that
    // of an existing file, so the dialog asks first; No keeps it open.
    WriteBytes(documents + "/laps.csv", "kept");
    QString questionTitle, questionText;
    WhenModal([&](QWidget& modal) {
        offered = NameEdit(modal).text();
        NameEdit(modal).setText("laps.csv");
        WhenModal(
            [&](QWidget& question) {
                questionTitle = question.windowTitle();
                questionText = dynamic_cast<QMessageBox&>(question).text();
                QTest::keyClick(&question, Qt::Key_Escape);
                WhenModal([](QWidget& again) { QTest::keyClick(&again, Qt::Key_Escape); },
                          &question);
            },
            &modal);
        QTest::keyClick(&NameEdit(modal), Qt::Key_Return);
    });
    EXPECT_EQ(prompts->AskSavePath(""), std::nullopt);
    EXPECT_EQ(offered, "");
    // Qt's own texts come in Japanese too.
    EXPECT_EQ(questionTitle, "名前を付けて保存");
    EXPECT_TRUE(questionText.startsWith("laps.csv は既に存在します。"))
        << questionText.toStdString();
}

TEST_F(WindowPromptsTest, OpenDialogPicksALapFileFromTheFolderSet) {
    QFileDialog& dialog = *form->OpenDialog1;
    EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(dialog.fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(dialog.nameFilters(), QStringList({"dtbファイル (*.[dD][tT][bB])"}));
    WriteAppDataSession(2, 10);

    prompts->SetOpenFolder(AppDataTemp());
    EXPECT_EQ(dialog.directory().absolutePath().toStdString() + "/", AppDataTemp());
    WhenModal([&](QWidget& modal) {
        NameEdit(modal).setText("Temp0002.dtb");
        QTest::keyClick(&NameEdit(modal), Qt::Key_Return);
    });
    EXPECT_EQ(prompts->AskOpenPath(), AppDataTemp() + "Temp0002.dtb");

    WhenModal([](QWidget& modal) { QTest::keyClick(&modal, Qt::Key_Escape); });
    EXPECT_EQ(prompts->AskOpenPath(), std::nullopt);

    // An empty folder is the current one.
    prompts->SetOpenFolder("");
    EXPECT_EQ(dialog.directory().absolutePath().toStdString() + "/", WorkFolder());
}

TEST_F(WindowPromptsTest, ErrorBoxHasTheStopIconAndOk) {
    SetErrorBoxDisplay({});  // the real box, not the test's record
    BoxSeen seen;
    WhenBox(seen, PressReturn);
    RunHandler([] { throw Error(2); });
    EXPECT_EQ(seen.Title, "window_tests");
    EXPECT_EQ(seen.Text, "ファイルが見つかりません.");
    EXPECT_EQ(seen.Icon, QMessageBox::Critical);
    EXPECT_EQ(seen.Buttons, QStringList({"OK"}));
}

}  // namespace
