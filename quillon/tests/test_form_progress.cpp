// The progress form: targets, cycling and hiding.
#include "formtest.h"

#include <QLabel>
#include <QProgressBar>

class Progress : public ::testing::Test {
protected:
    QWidget owner;
    TModemProgressForm form{&owner};
    int position() const { return form.ProgressBar1->value(); }
};

TEST_F(Progress, ShowDisablesOwnerAndRunsToTarget)
{
    owner.show();
    form.showProgress(&owner, "Please wait . . . reading modem data.");
    EXPECT_FALSE(owner.isEnabled());
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.StaticText1->text(), "Please wait . . . reading modem data.");
    EXPECT_EQ(form.target(), 100);
    form.setTarget(30);
    EXPECT_TRUE(waitFor([&] { return position() >= 30; }, 3000));
    pumpEvents(100);
    EXPECT_EQ(position(), 30);
    // A lower target leaves the bar where it is.
    form.setTarget(10);
    pumpEvents(100);
    EXPECT_EQ(position(), 30);
    form.hideProgress(&owner);
    EXPECT_EQ(position(), 100);
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(owner.isEnabled());
    EXPECT_EQ(form.target(), 0);
}

TEST_F(Progress, CycleStartsAgainUntilHidden)
{
    form.showProgress(&owner, "Please wait . . . updating modem data.");
    form.setTarget(100, true);
    EXPECT_TRUE(waitFor([&] { return position() == 100; }, 5000));
    EXPECT_TRUE(waitFor([&] { return position() < 100; }, 2000));
    form.hideProgress(&owner);
    EXPECT_FALSE(form.cycling());
}

TEST_F(Progress, HideWhenNotShownChangesNothing)
{
    owner.setEnabled(false);
    form.hideProgress(&owner);
    EXPECT_FALSE(owner.isEnabled());
}
