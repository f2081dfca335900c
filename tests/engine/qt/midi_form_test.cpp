#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include "engine/qt/midi_form.h"
#include "fake_input_host.h"

namespace {

const QString NotAssociated = QString::fromUtf8("現在.tgs と .tgpは関連付けされていません。");

TEST(MidiForm, ShowsWhetherTheFilesAreAssociated)
{
    FakeInputHost host;
    host.Command = "tideglass %f";
    TMidiForm form(host);

    form.UpdateAssocState();
    EXPECT_EQ(form.Label2->text(), NotAssociated);
    EXPECT_TRUE(form.DukeButton->isEnabled());
    EXPECT_FALSE(form.KaijoButton->isEnabled());

    form.DukeButton->click();
    EXPECT_EQ(host.Registered, 1);
    EXPECT_EQ(form.Label2->text(), QString::fromUtf8("現在.tgs と .tgpは関連付けされています。\n\n情報：tideglass %f"));
    EXPECT_EQ(form.OpenCommand(), "tideglass %f");
    EXPECT_FALSE(form.DukeButton->isEnabled());
    EXPECT_TRUE(form.KaijoButton->isEnabled());

    form.KaijoButton->click();
    EXPECT_EQ(host.Unregistered, 1);
    EXPECT_EQ(form.Label2->text(), NotAssociated);
    EXPECT_TRUE(form.DukeButton->isEnabled());
}

TEST(MidiForm, ButtonsStayInsideAShortenedDialog)
{
    // Player mode hides the group and leaves a dialog 100 pixels high.
    FakeInputHost host;
    TMidiForm form(host);
    form.GroupBox2->hide();
    form.setFixedHeight(100);
    form.show();
    EXPECT_LE(form.Button1->geometry().bottom(), 100);
    EXPECT_EQ(form.Button1->y(), form.Button2->y());
}

} // namespace
