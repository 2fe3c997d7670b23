// 重复动作: the task it declares, its links by name, and what an error
// leaves in the registry.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "script_fixture.h"

namespace tora {
namespace {

class RepeatActionTest : public testing::ScriptFixture {
 protected:
  void AddWindowRule(const std::string& name) {
    WindowRule rule;
    rule.name = name;
    registry_.window_rules.Append(rule);
  }
  void AddCondition(const std::string& name) {
    ScreenCondition condition;
    condition.name = name;
    registry_.screen_conditions.Append(condition);
  }
  const RepeatTask& OnlyOrdinaryTask() {
    EXPECT_EQ(registry_.ordinary_tasks.Length(), 1);
    static const RepeatTask kNone;
    const RepeatTask* task = registry_.ordinary_tasks.Get(0);
    return task ? *task : kNone;
  }
};

TEST_F(RepeatActionTest, DeclaresATaskOverItsTable) {
  ASSERT_EQ(Run(R"(动作_1 = {{"按键","Ctrl+V,1"},{"左键单击","100,200,绝对,0.5"}}
                   重复动作("动作_1",0.1,"0","0","0",3))"),
            "");
  const RepeatTask& task = OnlyOrdinaryTask();
  EXPECT_EQ(registry_.priority_tasks.Length(), 0);
  EXPECT_EQ(task.action_list_id, 0);
  EXPECT_EQ(task.interval, 100);
  EXPECT_EQ(task.next_run, 0u);
  EXPECT_EQ(task.count_limit, 3);
  EXPECT_EQ(task.tries, 0);
  EXPECT_FALSE(task.has_window);
  EXPECT_FALSE(task.has_condition);
  EXPECT_EQ(task.script_line, 2);  // said when its condition never holds
  ASSERT_EQ(registry_.action_lists.Length(), 1);
  const ActionList& list = *registry_.action_lists.Get(0);
  EXPECT_EQ(list.id, 0);
  ASSERT_EQ(list.steps.size(), 2u);
  EXPECT_EQ(list.steps[0].type, StepType::Key);
  EXPECT_EQ(list.steps[1].type, StepType::Mouse);
}

TEST_F(RepeatActionTest, PriorityTextChoosesTheList) {
  ASSERT_EQ(Run(R"(T = {{"按键","A,0"}}
                   重复动作("T",1,"0","0","优先",0)
                   重复动作("T",1,"0","0","0",0)
                   重复动作("T",1,"0","0","优先 ",0)
                   重复动作("T",1,"0","0","优先",0))"),
            "");
  ASSERT_EQ(registry_.priority_tasks.Length(), 2);
  ASSERT_EQ(registry_.ordinary_tasks.Length(), 2);
  // Each call has its own list, in call order.
  EXPECT_EQ(registry_.priority_tasks.Get(0)->action_list_id, 0);
  EXPECT_EQ(registry_.ordinary_tasks.Get(0)->action_list_id, 1);
  EXPECT_EQ(registry_.ordinary_tasks.Get(1)->action_list_id, 2);
  EXPECT_EQ(registry_.priority_tasks.Get(1)->action_list_id, 3);
  for (int32_t i = 0; i < registry_.action_lists.Length(); ++i) EXPECT_EQ(registry_.action_lists.Get(i)->id, i);
}

TEST_F(RepeatActionTest, LinksTheLastConditionAndWindowOfTheInnerName) {
  AddWindowRule("记事本");
  AddWindowRule("别的");
  AddWindowRule("记事本");
  AddCondition("红点");
  AddCondition("红点");
  AddCondition("蓝点");
  ASSERT_EQ(Run(R"~(T = {{"按键","A,0"}} 重复动作("T",1,"找颜色点条件(红点)","窗口操作(记事本)","0",0))~"), "");
  const RepeatTask& task = OnlyOrdinaryTask();
  EXPECT_TRUE(task.has_window);
  EXPECT_EQ(task.window_rule_id, 2);
  EXPECT_TRUE(task.has_condition);
  EXPECT_EQ(task.condition_id, 1);
}

TEST_F(RepeatActionTest, InnerNameRule) {
  const struct {
    const char* text;
    const char* rule;  // the name of the rule linked, or null for none
  } cases[] = {
      {"窗口操作(甲)", "甲"},
      {"(甲)", "甲"},
      {"甲)", "甲"},            // no "(": all but the last character
      {"甲乙", "甲"},           // the last character is a whole GBK character
      {"窗口操作(甲）", "甲"},  // a full-width bracket is one character too
      {"a(b(甲)", "b(甲"},      // from the first "("
      {"窗口操作(甲", ""},      // 甲 is the last character: nothing between
      {"甲", ""},
      {"窗口操作(乙)", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    registry_.EmptyAll();
    AddWindowRule("");
    AddWindowRule("甲");
    AddWindowRule("b(甲");
    ASSERT_EQ(Run(std::string("T = {{\"按键\",\"A,0\"}} 重复动作(\"T\",1,\"0\",\"") + c.text + "\",\"0\",0)"), "");
    const RepeatTask& task = OnlyOrdinaryTask();
    ASSERT_EQ(task.has_window, c.rule != nullptr);
    if (!c.rule) continue;
    const WindowRule* rule = registry_.window_rules.Get(task.window_rule_id);
    ASSERT_NE(rule, nullptr);
    EXPECT_EQ(rule->name, c.rule);
  }
}

TEST_F(RepeatActionTest, ZeroAndUnknownNamesLinkNothing) {
  AddWindowRule("甲");
  AddCondition("甲");
  ASSERT_EQ(Run(R"~(T = {{"按键","A,0"}}
                   重复动作("T",1,"0","0","0",0)
                   重复动作("T",1,0,0,"0",0)
                   重复动作("T",1,"找颜色点条件(乙)","窗口操作(乙)","0",0)
                   重复动作("T",1,nil,"0","0",0))~"),
            "");
  ASSERT_EQ(registry_.ordinary_tasks.Length(), 4);
  for (const RepeatTask& task : registry_.ordinary_tasks.Items()) {
    EXPECT_FALSE(task.has_window);
    EXPECT_FALSE(task.has_condition);
  }
}

TEST_F(RepeatActionTest, IntervalAndCountConversions) {
  ASSERT_EQ(Run(R"(T = {{"按键","A,0"}}
                   重复动作("T","0.5","0","0","0","5")
                   重复动作("T","x","0","0","0","x")
                   重复动作("T",1e300,"0","0","0",-1)
                   重复动作("T",0/0,"0","0","0",2.9)
                   重复动作("T",1.001,"0","0","0",-1e300)
                   重复动作("T",-2,"0","0","0",1e300))"),
            "");
  const auto& t = registry_.ordinary_tasks.Items();
  ASSERT_EQ(t.size(), 6u);
  EXPECT_EQ(t[0].interval, 500);
  EXPECT_EQ(t[0].count_limit, 5);
  EXPECT_EQ(t[1].interval, 0);  // due on every pass of its worker
  EXPECT_EQ(t[1].count_limit, 0);
  EXPECT_EQ(t[2].interval, INT32_MAX);
  EXPECT_EQ(t[2].count_limit, -1);  // never run
  EXPECT_EQ(t[3].interval, 0);
  EXPECT_EQ(t[3].count_limit, 2);
  EXPECT_EQ(t[4].interval, 1001);
  EXPECT_EQ(t[4].count_limit, INT32_MIN);
  EXPECT_EQ(t[5].interval, -2000);
  EXPECT_EQ(t[5].count_limit, INT32_MAX);
}

TEST_F(RepeatActionTest, TableArgumentThatIsNoNameGivesAnEmptyList) {
  ASSERT_EQ(Run(R"(重复动作(nil,1,"0","0","0",0) 重复动作({},1,"0","0","0",0))"), "");
  ASSERT_EQ(registry_.ordinary_tasks.Length(), 2);
  ASSERT_EQ(registry_.action_lists.Length(), 2);
  EXPECT_TRUE(registry_.action_lists.Get(0)->steps.empty());
  EXPECT_TRUE(registry_.action_lists.Get(1)->steps.empty());
  // A number names the global of its text.
  ASSERT_EQ(Run(R"(_G["5"] = {{"按键","B,0"}} 重复动作(5,1,"0","0","0",0))"), "");
  ASSERT_EQ(registry_.action_lists.Get(2)->steps.size(), 1u);
}

TEST_F(RepeatActionTest, MissingTableStopsTheScriptWithoutATask) {
  const std::string error = Run(R"(重复动作("动作_9",1,"0","0","0",0))");
  EXPECT_NE(error.find("attempt to index"), std::string::npos) << error;
  EXPECT_EQ(registry_.ordinary_tasks.Length(), 0);
  EXPECT_EQ(registry_.action_lists.Length(), 0);
}

TEST_F(RepeatActionTest, WindowAndPriorityArgumentsMustBeStrings) {
  std::string error = Run(R"(T = {{"按键","A,0"}} 重复动作("T",1,"0"))");
  EXPECT_NE(error.find("bad argument #4"), std::string::npos) << error;
  EXPECT_NE(error.find("重复动作"), std::string::npos) << error;
  // The window is read before the table: nothing at all was added.
  EXPECT_EQ(registry_.key_steps.Length(), 0);
  EXPECT_EQ(registry_.action_lists.Length(), 0);

  error = Run(R"(T = {{"按键","A,0"}} 重复动作("T",1,"0","0",{},0))");
  EXPECT_NE(error.find("bad argument #5"), std::string::npos) << error;
  // The priority comes last: the rows and the list stay, but no task refers
  // to them and no worker will ever see them.
  EXPECT_EQ(registry_.key_steps.Length(), 1);
  EXPECT_EQ(registry_.action_lists.Length(), 1);
  EXPECT_EQ(registry_.ordinary_tasks.Length(), 0);
  EXPECT_EQ(registry_.priority_tasks.Length(), 0);
}

TEST_F(RepeatActionTest, ErrorAfterACallKeepsItsTask) {
  const std::string error = Run(R"(T = {{"按键","A,0"}} 重复动作("T",1,"0","0","0",0) error("danach"))");
  EXPECT_NE(error.find("danach"), std::string::npos);
  EXPECT_EQ(registry_.ordinary_tasks.Length(), 1);
  EXPECT_EQ(registry_.action_lists.Length(), 1);
}

TEST_F(RepeatActionTest, ACallFromInsideTheTableReadKeepsIdsRight) {
  // Row 1 of 外 comes from __index, which declares a task of its own while
  // the outer call is reading 外.
  ASSERT_EQ(Run(R"(内 = {{"按键","A,0"}}
                   外 = setmetatable({[2] = {"按键","B,0"}}, {__index = function()
                     重复动作("内",1,"0","0","0",0)
                     return {"x","y"}
                   end})
                   重复动作("外",2,"0","0","0",0))"),
            "");
  ASSERT_EQ(registry_.ordinary_tasks.Length(), 2);
  ASSERT_EQ(registry_.action_lists.Length(), 2);
  for (int32_t i = 0; i < 2; ++i) EXPECT_EQ(registry_.action_lists.Get(i)->id, i);
  const RepeatTask& inner = *registry_.ordinary_tasks.Get(0);
  const RepeatTask& outer = *registry_.ordinary_tasks.Get(1);
  EXPECT_EQ(inner.interval, 1000);
  EXPECT_EQ(outer.interval, 2000);
  // Each task plays its own rows.
  const ActionList& outer_list = *registry_.action_lists.Get(outer.action_list_id);
  ASSERT_EQ(outer_list.steps.size(), 1u);
  EXPECT_EQ(registry_.key_steps.Get(outer_list.steps[0].id)->keys, (std::vector<int32_t>{'B'}));
  const ActionList& inner_list = *registry_.action_lists.Get(inner.action_list_id);
  ASSERT_EQ(inner_list.steps.size(), 1u);
  EXPECT_EQ(registry_.key_steps.Get(inner_list.steps[0].id)->keys, (std::vector<int32_t>{'A'}));
}

}  // namespace
}  // namespace tora
