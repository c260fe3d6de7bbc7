#include "kadrix/platform/modal_seam.h"

#include <gtest/gtest.h>

using namespace kadrix::platform;

TEST(ModalSeam, ScriptedAnswersComeInOrderAndEveryQuestionIsRecorded) {
    auto scripted = std::make_shared<ScriptedModalHandler>();
    auto previous = setModalHandler(scripted);
    scripted->pushCode(7);
    scripted->pushPath("/data/export");
    const auto ask = [](ModalQuestion::Kind kind, const char* text) {
        ModalQuestion q;
        q.kind = kind;
        q.text = text;
        return askModal(q);
    };
    EXPECT_EQ(ask(ModalQuestion::Kind::ConfirmEx, "保存修改吗?").code, 7);
    const ModalAnswer folder = ask(ModalQuestion::Kind::ChooseFolder, "导出到");
    EXPECT_TRUE(folder.accepted);
    EXPECT_EQ(folder.text, "/data/export");
    // Unscripted questions get the refusing answer; a message box has only its OK.
    EXPECT_EQ(ask(ModalQuestion::Kind::ConfirmEx, "again?").code, 2);
    EXPECT_FALSE(ask(ModalQuestion::Kind::ChooseFolder, "where?").accepted);
    EXPECT_EQ(ask(ModalQuestion::Kind::Warning, "注意").code, 1);

    const auto asked = scripted->asked();
    ASSERT_EQ(asked.size(), 5u);
    EXPECT_EQ(asked[0].text, "保存修改吗?");
    EXPECT_EQ(asked[0].answer.code, 7);
    EXPECT_EQ(asked[4].kind, ModalQuestion::Kind::Warning);
    EXPECT_EQ(setModalHandler(previous), scripted);
}
