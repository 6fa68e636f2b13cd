// Data validation: storing rules with their cells, and typing refused by a rule.

#include "HostFixture.h"
#include "memhost/rules/References.h"

namespace kx::memhost {
namespace {

using host::Variant;

class ValidationTest : public testing::HostTest {
 protected:
  void AddUniqueRule(const std::string& address, const std::string& formula) {
    auto validation = At(address)->Validation().value();
    host::ValidationAddArgs args;
    args.Type = host::xl::ValidateCustom;
    args.AlertStyle = host::xl::ValidAlertStop;
    args.Operator = host::xl::Between;
    args.Formula1 = formula;
    ASSERT_TRUE(validation->Add(args).ok());
    ASSERT_TRUE(validation->SetErrorTitle("Duplicate").ok());
    ASSERT_TRUE(validation->SetErrorMessage("This value is already in the column.").ok());
  }
  bool Type(const std::string& address, const std::string& text) {
    auto entry = app_->TypeIntoCell(address, text);
    EXPECT_TRUE(entry.ok());
    return entry.ok() && entry->accepted;
  }
};

TEST_F(ValidationTest, RuleIsStoredWithItsCellsAndReadBack) {
  AddUniqueRule("A1:A100", "=COUNTIF($A:$A,A1)=1");
  ASSERT_EQ(sheet().validations().size(), 1u);
  EXPECT_EQ(sheet().validations()[0].areas, (std::vector<Area>{{1, 1, 100, 1}}));
  auto v = At("A50")->Validation().value();
  EXPECT_EQ(v->Type().value(), host::xl::ValidateCustom);
  EXPECT_EQ(v->Formula1().value(), "=COUNTIF($A:$A,A1)=1");
  EXPECT_EQ(v->ErrorTitle().value(), "Duplicate");
  EXPECT_TRUE(v->IgnoreBlank().value());
  ASSERT_TRUE(v->SetShowError(false).ok());
  EXPECT_FALSE(At("A1")->Validation().value()->ShowError().value());

  // The host refuses a second rule on the same cells; Delete first.
  host::ValidationAddArgs list{host::xl::ValidateList, {}, {}, Variant("a,b"), {}};
  EXPECT_EQ(At("A10")->Validation().value()->Add(list).error().number, host::err::ApplicationDefined);
  // Cells without a rule have no members to read.
  EXPECT_EQ(At("B1")->Validation().value()->Type().error().number, host::err::ApplicationDefined);
  EXPECT_TRUE(At("B1")->Validation().value()->Delete().ok());
}

TEST_F(ValidationTest, DeletingPartOfARuleKeepsTheRest) {
  AddUniqueRule("A1:C10", "=COUNTIF($A:$A,A1)=1");
  ASSERT_TRUE(At("B5")->Validation().value()->Delete().ok());
  EXPECT_EQ(At("B5")->Validation().value()->Type().error().number, host::err::ApplicationDefined);
  std::int64_t covered = 0;
  for (const Area& a : sheet().validations()[0].areas) covered += a.cells();
  EXPECT_EQ(covered, 29);
  EXPECT_TRUE(At("B4")->Validation().value()->Type().ok());
  ASSERT_TRUE(At("A:C")->Validation().value()->Delete().ok());
  EXPECT_TRUE(sheet().validations().empty());
}

TEST_F(ValidationTest, TypingIsRefusedWhenTheColumnHasTheValue) {
  Put("A1", "apple");
  Put("A2", 5);
  Put("A3", "123456789012345111");
  AddUniqueRule("A1:A100", "=countif($A:$A,A1)=1");
  const std::string longText(300, 'z');
  const struct {
    const char* cell;
    std::string typed;
    bool accepted;
  } cases[] = {
      {"A10", "pear", true},
      {"A11", "APPLE", false},                // case-insensitive
      {"A11", "5", false},                    // numeric text against the number
      {"A11", "123456789012345222", false},   // the same 15 digits
      {"A11", "a*", false},                   // the entry is a pattern matching apple
      {"A1", "apple", true},                  // retyping a cell's own value
      {"A12", "", true},                      // blanks are allowed
      {"A13", longText, false},                // COUNTIF fails: invalid
  };
  for (const auto& c : cases) EXPECT_EQ(Type(c.cell, c.typed), c.accepted) << c.typed;

  auto refused = app_->TypeIntoCell("A20", "Apple").value();
  EXPECT_FALSE(refused.accepted);
  EXPECT_EQ(refused.errorTitle, "Duplicate");
  EXPECT_EQ(refused.errorMessage, "This value is already in the column.");
  EXPECT_EQ(sheet().CellAt({20, 1}), nullptr);  // the cell kept what it had
  EXPECT_EQ(At("A10")->Value().value(), Variant("pear"));
  // Values written through the object model are not validated.
  Put("A21", "apple");
  EXPECT_FALSE(At("A21")->Validation().value()->Value().value());
  EXPECT_TRUE(At("A10")->Validation().value()->Value().value());
}

TEST_F(ValidationTest, RelativeReferencesFollowTheRulesFirstCell) {
  Put("B2", "x");
  Put("C5", "x");
  // The rule is written for B2 and covers B2:B10; for B6 it counts $C$1:$C$9 with B6.
  AddUniqueRule("B2:B10", "=COUNTIF($C$1:$C$9,B2)=0");
  EXPECT_FALSE(Type("B6", "X"));
  EXPECT_TRUE(Type("B6", "y"));
}

TEST(References, FormulasAreRewrittenForAnotherCell) {
  const struct {
    const char* formula;
    std::int32_t dRow, dCol;
    const char* shifted;
  } cases[] = {
      {"=COUNTIF($A:$A,A1)=1", 1, 0, "=COUNTIF($A:$A,A2)=1"},
      {"=COUNTIF($A$1:$A$9,B2)>0", 3, 2, "=COUNTIF($A$1:$A$9,D5)>0"},
      {"=A$1+$B2+C3:D4", 1, 1, "=B$1+$B3+D4:E5"},
      {"=LOG10(A1)&\"A1\"&TRUE", 1, 0, "=LOG10(A2)&\"A1\"&TRUE"},
      {"=Sheet2!A1+1.5E3", 2, 0, "=Sheet2!A3+1.5E3"},
      {"=A1", -1, 0, "=#REF!"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ShiftFormula(c.formula, c.dRow, c.dCol), c.shifted) << c.formula;
  }
  EXPECT_EQ(*ShiftedArea("A1", 4, 1), (Area{5, 2, 5, 2}));
  EXPECT_EQ(*ShiftedArea("$A:$A", 4, 1), (Area{1, 1, kMaxRows, 1}));
  EXPECT_FALSE(ShiftedArea("A1", -1, 0));
}

TEST_F(ValidationTest, TakingOutARulesFirstCellKeepsTheRuleMeaningTheSame) {
  Put("A1", "apple");
  AddUniqueRule("A1:A100", "=COUNTIF($A:$A,A1)=1");
  ASSERT_TRUE(At("A1")->Validation().value()->Delete().ok());
  EXPECT_EQ(At("A2")->Validation().value()->Formula1().value(), "=COUNTIF($A:$A,A2)=1");
  EXPECT_FALSE(Type("A5", "Apple"));
  EXPECT_TRUE(Type("A5", "pear"));
}

TEST_F(ValidationTest, WarningRulesAndListRules) {
  Put("A1", "apple");
  auto validation = At("A2:A5")->Validation().value();
  host::ValidationAddArgs warn{host::xl::ValidateCustom, host::xl::ValidAlertWarning, {},
                               Variant("=COUNTIF($A:$A,A2)=1"), {}};
  ASSERT_TRUE(validation->Add(warn).ok());
  EXPECT_TRUE(Type("A2", "apple"));  // the user answers Yes
  host::ValidationAddArgs list{host::xl::ValidateList, {}, {}, Variant("Red, Green"), {}};
  ASSERT_TRUE(At("B1:B5")->Validation().value()->Add(list).ok());
  EXPECT_TRUE(Type("B1", "green"));
  EXPECT_FALSE(Type("B2", "blue"));
}

}  // namespace
}  // namespace kx::memhost
