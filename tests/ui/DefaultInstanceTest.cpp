#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/ui/UiFixture.h"

namespace kx::ui::testing {
namespace {

TEST_F(UiTest, TheFirstReferenceCreatesTheFormAndRunsItsInitialisationOnce) {
  state.ColorChoiceCancelled = true;
  EXPECT_FALSE(state.Forms.IsLoaded<frmJob>());

  auto& job = state.Forms.Get<frmJob>();
  EXPECT_TRUE(state.Forms.IsLoaded<frmJob>());
  EXPECT_FALSE(state.ColorChoiceCancelled) << "UserForm_Initialize ran";
  EXPECT_FALSE(job.Visible()) << "a reference loads the form without showing it";

  state.ColorChoiceCancelled = true;
  EXPECT_EQ(&state.Forms.Get<frmJob>(), &job);
  EXPECT_TRUE(state.ColorChoiceCancelled) << "a second reference does not initialise again";
  EXPECT_EQ(frmJob::Created, 1);
}

TEST_F(UiTest, AFormWithoutStateIsBuiltAndLoadedToo) {
  auto& note = state.Forms.Get<frmNote>();
  EXPECT_EQ(note.Label2.Caption, "Loaded") << "Form_Load ran";
}

TEST_F(UiTest, AfterAnUnloadTheNextReferenceStartsFromTheInitialState) {
  auto& first = state.Forms.Get<frmJob>();
  first.lblPer.Caption = "75 %";
  first.CommandButton3.Visible = true;
  state.Forms.Unload<frmJob>();
  EXPECT_FALSE(state.Forms.IsLoaded<frmJob>());
  EXPECT_FALSE(first.Loaded());

  state.ColorChoiceCancelled = true;
  auto& second = state.Forms.Get<frmJob>();
  EXPECT_EQ(frmJob::Created, 2);
  EXPECT_EQ(second.lblPer.Caption, "0%");
  EXPECT_FALSE(second.CommandButton3.Visible);
  EXPECT_FALSE(state.ColorChoiceCancelled);
}

TEST_F(UiTest, UnloadingAFormThatIsNotLoadedDoesNotCreateIt) {
  state.ColorChoiceCancelled = true;
  state.Forms.Unload<frmJob>();
  EXPECT_EQ(frmJob::Created, 0);
  EXPECT_TRUE(state.ColorChoiceCancelled);
}

// A handler that unloads its own form keeps running on a live object; the object goes once the
// handler has returned and the next instance exists.
class frmSelfClosing : public Form {
 public:
  explicit frmSelfClosing(AddinState& state) : Form("frmSelfClosing"), state_(state) {
    Add("Command1", Command1);
    Handle("Command1", Event::Click, &frmSelfClosing::Command1_Click);
  }
  CommandButton Command1;
  std::string seenAfterUnload;
  std::weak_ptr<Form> self;

  void Command1_Click() {
    self = weak_from_this();
    state_.Forms.Unload<frmSelfClosing>();
    Command1.Caption = "still here";
    seenAfterUnload = Loaded() ? "loaded" : "unloaded";
    state_.StopRequested = !self.expired();
  }

 private:
  AddinState& state_;
};

TEST_F(UiTest, AFormUnloadedInsideItsOwnHandlerLivesUntilTheHandlerReturns) {
  auto& form = state.Forms.Get<frmSelfClosing>();
  form.Show(ShowStyle::Modeless);
  ASSERT_EQ(form.Press("Command1"), std::nullopt);
  EXPECT_TRUE(state.StopRequested) << "the form was alive after unloading itself";
  EXPECT_EQ(form.seenAfterUnload, "unloaded");
  const std::weak_ptr<Form> old = form.self;

  state.Forms.Get<frmSelfClosing>();
  EXPECT_TRUE(old.expired()) << "the unloaded instance is released once a new one exists";
}

}  // namespace
}  // namespace kx::ui::testing
