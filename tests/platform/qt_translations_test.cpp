#include "platform/qt_translations.h"

#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>

TEST(QtTranslations, StandardButtonsSpeakJapanese)
{
    InstallJapaneseQtTranslations();
    InstallJapaneseQtTranslations(); // once is enough
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_EQ(box.button(QMessageBox::Yes)->text(), QString::fromUtf8("はい(&Y)"));
    EXPECT_EQ(box.button(QMessageBox::No)->text(), QString::fromUtf8("いいえ(&N)"));
    EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), QString::fromUtf8("キャンセル"));
    QDialogButtonBox buttons(QDialogButtonBox::Open);
    EXPECT_EQ(buttons.button(QDialogButtonBox::Open)->text(), QString::fromUtf8("開く"));
}
