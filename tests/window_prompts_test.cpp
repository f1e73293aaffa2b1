// The window's own dialogs and boxes, answered through their buttons as a
// user would.
#include <QApplication>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "gui/qt/errorbox.h"
#include "gui/qt/qtprompts.h"
#include "tests/kit/prompts.h"
#include "tests/windowkit.h"
#include "text/error.h"

namespace {

// Acts on the next modal dialog or box as soon as its event loop runs. A
// dialog that has not come within five seconds fails the test, and the wait
// ends rather than hanging it.
void WhenModal(std::function<void(QWidget&)> act, QWidget* previous = nullptr,
               QDeadlineTimer deadline = QDeadlineTimer(5000)) {
    QTimer::singleShot(0, [act, previous, deadline] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || modal == previous) {
            if (deadline.hasExpired()) {
                ADD_FAILURE() << "no modal dialog came";
                return;
            }
            return WhenModal(act, previous, deadline);
        }
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
    QString title, text;
    QStringList buttons;
    QMessageBox::Icon icon{};
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
        form = Create(kVersion2);
        form->show();
        prompts = std::make_unique<QtPrompts>(*form->openDialog, *form->saveDialog, form.get());
    }
    void TearDown() override {
        prompts.reset();
        form.reset();
        WindowTest::TearDown();
    }

    std::unique_ptr<MainWindow> form;
    std::unique_ptr<QtPrompts> prompts;
};

TEST_F(WindowPromptsTest, WarningBoxAsksYesOrNo) {
    enum class Answer { Yes, No, Escape, Close };
    struct Case {
        const char* name;
        Answer given;
        bool result;
    };
    for (const Case& c :
         {Case{"Yes", Answer::Yes, true}, Case{"No", Answer::No, false},
          Case{"Escape", Answer::Escape, false}, Case{"closed", Answer::Close, false}}) {
        SCOPED_TRACE(c.name);
        BoxSeen seen;
        WhenBox(seen, [&c](QMessageBox& box) {
            if (c.given == Answer::Yes) ButtonNamed(box, "はい(&Y)")->click();
            if (c.given == Answer::No) ButtonNamed(box, "いいえ(&N)")->click();
            if (c.given == Answer::Escape) QTest::keyClick(&box, Qt::Key_Escape);
            if (c.given == Answer::Close) box.close();
        });
        EXPECT_EQ(prompts->AskYesNoWarning("laps.csv は既に存在します。\r上書きしますか?"),
                  c.result);
        EXPECT_EQ(seen.title, "警告");
        EXPECT_EQ(seen.text, "laps.csv は既に存在します。\n上書きしますか?");
        EXPECT_EQ(seen.icon, QMessageBox::Warning);
        seen.buttons.sort();
        EXPECT_EQ(seen.buttons, QStringList({"いいえ(&N)", "はい(&Y)"}));
    }
}

TEST_F(WindowPromptsTest, InformationBoxHasOk) {
    BoxSeen seen;
    WhenBox(seen, PressReturn);
    prompts->ShowInformation("laps.csv を出力しました。");
    EXPECT_EQ(seen.title, "情報");
    EXPECT_EQ(seen.text, "laps.csv を出力しました。");
    EXPECT_EQ(seen.icon, QMessageBox::Information);
    EXPECT_EQ(seen.buttons, QStringList({"OK"}));
}

TEST_F(WindowPromptsTest, SaveDialogOffersThePresetAndLeavesTheQuestionToTheCommand) {
    QFileDialog& dialog = *form->saveDialog;
    EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(dialog.nameFilters(), QStringList({"CSVファイル (*.[cC][sS][vV])"}));
    // The command asks about the name it will write, with ".csv"; the
    // dialog's own question would come first and about another name.
    EXPECT_TRUE(dialog.testOption(QFileDialog::DontConfirmOverwrite));
    EXPECT_TRUE(dialog.isSizeGripEnabled());
    EXPECT_GE(dialog.width(), 800);  // room for names, sizes and dates
    const std::string documents = Home() + "/Documents";

    // A preset name, accepted as it is.
    QString offered, title;
    WhenModal([&](QWidget& modal) {
        offered = NameEdit(modal).text();
        title = modal.windowTitle();
        QTest::keyClick(&NameEdit(modal), Qt::Key_Return);
    });
    EXPECT_EQ(prompts->AskSavePath("Temp0003.csv", SaveType::Csv), documents + "/Temp0003.csv");
    EXPECT_EQ(offered, "Temp0003.csv");
    // Qt's own texts come in Japanese too.
    EXPECT_EQ(title, "名前を付けて保存");

    // No preset: the last name is not offered again. The name of an existing
    // file is taken without a question from the dialog.
    WriteBytes(documents + "/laps.csv", "kept");
    WhenModal([&](QWidget& modal) {
        offered = NameEdit(modal).text();
        NameEdit(modal).setText("laps.csv");
        QTest::keyClick(&NameEdit(modal), Qt::Key_Return);
    });
    EXPECT_EQ(prompts->AskSavePath("", SaveType::Csv), documents + "/laps.csv");
    EXPECT_EQ(offered, "");
}

TEST_F(WindowPromptsTest, OpenDialogPicksALapFileFromTheFolderSet) {
    QFileDialog& dialog = *form->openDialog;
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

TEST_F(WindowPromptsTest, ErrorBoxHasTheStopIconOkAndThePath) {
    WriteAppDataSession(1, 10);
    form->SetErrorDisplay({});  // the real box, not the test's record
    ScriptedPrompts scripted;
    scripted.openPaths = {AppDataTemp() + "Temp0001.dtb"};
    scripted.savePath = OutFolder() + "gone/out.csv";
    form->SetPrompts(&scripted);
    BoxSeen seen;
    WhenBox(seen, PressReturn);
    form->ExportPickedLapFiles();
    EXPECT_EQ(seen.title, "window_tests");
    EXPECT_EQ(seen.text, QString::fromStdString("ファイル名の指定が間違っています.\n" +
                                                OutFolder() + "gone/out.csv"));
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
    EXPECT_EQ(seen.buttons, QStringList({"OK"}));
    form->SetPrompts(nullptr);
}

}  // namespace
