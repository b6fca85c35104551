#include "reception/dispatch_plan.h"

#include <gtest/gtest.h>

#include "core/settings.h"
#include "fake_settings_host.h"

namespace mirelo {
namespace {

class DispatchPlanTest : public ::testing::Test {
protected:
    testing::FakeSettingsHost host;
    ClientSettings settings{host};
};

TEST_F(DispatchPlanTest, KindsMapToTheirFamilies) {
    EXPECT_EQ(FamilyOfKind(1), Family::Bbs);
    EXPECT_EQ(FamilyOfKind(2), Family::Mail);
    EXPECT_EQ(FamilyOfKind(3), Family::Schedule);
    for (int kind : {4, 5, 6, 7, 11}) EXPECT_EQ(FamilyOfKind(kind), Family::Approval) << kind;
    EXPECT_EQ(FamilyOfKind(8), Family::Message);
    EXPECT_EQ(FamilyOfKind(9), Family::Message);
    EXPECT_EQ(FamilyOfKind(10), Family::Notice);
    EXPECT_EQ(FamilyOfKind(20), Family::Alert);
    for (int kind : {0, 12, 19, 21, 98, 99, -1}) EXPECT_EQ(FamilyOfKind(kind), Family::None) << kind;
}

TEST_F(DispatchPlanTest, EverythingShowsByDefault) {
    for (int kind : {1, 2, 3, 4, 11}) {
        const DispatchPlan plan = PlanDispatch(kind, false, settings);
        EXPECT_TRUE(plan.playSound && plan.showPopup && plan.buildRecord) << kind;
        EXPECT_FALSE(plan.listed);
    }
    EXPECT_FALSE(PlanDispatch(8, false, settings).playSound) << "messages have no sound";
    EXPECT_TRUE(PlanDispatch(8, false, settings).showPopup);
    EXPECT_FALSE(PlanDispatch(12, false, settings).showPopup);
}

TEST_F(DispatchPlanTest, OnlyUrgencyStopsEverythingButUrgentOnes) {
    settings.OnlyUrgency = true;
    const DispatchPlan plain = PlanDispatch(2, false, settings);
    EXPECT_FALSE(plain.playSound || plain.showPopup || plain.buildRecord);
    const DispatchPlan urgent = PlanDispatch(2, true, settings);
    EXPECT_TRUE(urgent.playSound && urgent.showPopup);
    EXPECT_TRUE(PlanDispatch(20, false, settings).showPopup) << "alerts know no filter";
}

TEST_F(DispatchPlanTest, ASwitchedOffFamilyStillPlaysItsSound) {
    settings.UseMailNotify = false;
    const DispatchPlan plan = PlanDispatch(2, false, settings);
    EXPECT_TRUE(plan.playSound);
    EXPECT_FALSE(plan.showPopup);
    settings.UseSancNotify = false;
    EXPECT_FALSE(PlanDispatch(7, false, settings).showPopup);
    EXPECT_TRUE(PlanDispatch(1, false, settings).showPopup);
}

TEST_F(DispatchPlanTest, ReceivedListModeListsKindsTwoToTen) {
    settings.ReceiveListMode = true;
    for (int kind = 1; kind <= 11; ++kind) {
        const DispatchPlan plan = PlanDispatch(kind, false, settings);
        EXPECT_FALSE(plan.playSound || plan.showPopup) << kind;
        EXPECT_EQ(plan.listed, kind >= 2 && kind <= 10) << kind;
    }
    EXPECT_TRUE(PlanDispatch(20, false, settings).showPopup);
    settings.OnlyUrgency = true;
    EXPECT_FALSE(PlanDispatch(2, false, settings).listed);
}

TEST_F(DispatchPlanTest, OnlyTheNewestOfABacklogPopsUp) {
    struct Case {
        std::size_t index, count, newer;
    };
    const Case cases[] = {{0, 1, 0},
                          {0, kBurstPoppingUp, 0},
                          {kBurstPoppingUp - 1, kBurstPoppingUp, 0},
                          {0, kBurstPoppingUp + 1, kBurstPoppingUp},
                          {5, 20, 14},
                          {18, 20, 1},
                          {19, 20, 0},
                          {25, 20, 0}};
    for (const Case& c : cases) EXPECT_EQ(NewerWaiting(c.index, c.count), c.newer) << c.index << " of " << c.count;
}

TEST_F(DispatchPlanTest, GivingWayDropsPopUpAndSoundButNotTheRest) {
    for (int kind : {1, 2, 3, 4, 8, 10}) {
        const DispatchPlan plan = GiveWay(PlanDispatch(kind, false, settings));
        EXPECT_TRUE(plan.gaveWay && plan.buildRecord) << kind;
        EXPECT_FALSE(plan.showPopup || plan.playSound) << kind;
    }
    settings.UseMailNotify = false;
    const DispatchPlan silent = GiveWay(PlanDispatch(2, false, settings));
    EXPECT_FALSE(silent.gaveWay || silent.playSound) << "no pop-up to give way, and no sound either";
    EXPECT_TRUE(GiveWay(PlanDispatch(20, false, settings)).showPopup) << "alerts are kept nowhere else";
    settings.ReceiveListMode = true;
    const DispatchPlan listed = GiveWay(PlanDispatch(2, false, settings));
    EXPECT_TRUE(listed.listed && !listed.gaveWay);
}

TEST_F(DispatchPlanTest, LocalApplicationCodes) {
    EXPECT_EQ(LocalAppCode(Family::Bbs, 7), 200);
    EXPECT_EQ(LocalAppCode(Family::Mail, 7), 100);
    EXPECT_EQ(LocalAppCode(Family::Approval, 7), 7);
    EXPECT_EQ(LocalAppCode(Family::Schedule, 7), 0);
}

}  // namespace
}  // namespace mirelo
