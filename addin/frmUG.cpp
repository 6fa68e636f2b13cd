#include "addin/frmUG.h"

#include "addin/Addresses.h"
#include "ui/Driver.h"

namespace kx::addin {

namespace {

constexpr std::string_view kDescription =
    "Kestrix is a powerful Excel Add-In. You can manage duplicates in excel easily by using its "
    "commands which are specially developed to give you the power of automation. You can remove, "
    "format and count duplicate & unique entries in excel with lightning speed and quality "
    "results. It processes thousands of entries within a minute which saves your precious time "
    "and money. In brief, Kestrix is a valuable addin to automate duplicate removing, formatting "
    "and counting task for Excel with quality and speed. We can say every Excel user must have "
    "Kestrix to Format & Remove Duplicates in Excel.";
constexpr std::string_view kFeedback = "Please send your Feedback and Advice to us at : ";
constexpr std::string_view kMakerNotice = "Kestrix is made by the Kestrix developers: feedback@kestrix.example";

// Twips, as the window was laid out.
constexpr float kTwipsWidth = 9241;
constexpr float kTwipsHeight = 5355;

}  // namespace

std::string AboutText() {
  const std::string crlf = "\r\n";
  return std::string(kDescription) + crlf + crlf + crlf + std::string(kFeedback) + crlf +
         std::string(kMakerEmail) + crlf + "or" + crlf + "visit " +
         std::string(kMakerSiteAddress);
}

frmUG::frmUG() : Form("frmUG") {
  Caption = "About Kestrix v2.0";
  BackColor = 0x00FFC0C0;
  Width = kTwipsWidth;
  Height = kTwipsHeight;

  ui::Place(Shape1, 120, 105, 8685, 4455);
  ui::Place(Label2, 270, 270, 8400, 4095);
  Label2.Font = {"Trebuchet MS", 9.0f, false};
  Label2.ForeColor = 0x00404040;
  Label2.BackColor = BackColor;
  Label2.WordWrap = true;
  Line1.X1 = 285, Line1.Y1 = 4740, Line1.X2 = 8595, Line1.Y2 = 4755;
  Line1.BorderColor = ui::kWhite;
  ui::Place(Shape2, 165, 4635, 8685, 570);
  ui::Place(Label21, 1305, 4875, 6300, 210);
  Label21.Caption = std::string(kMakerNotice);
  Label21.Font = {"Trebuchet MS", 8.25f, false};
  Label21.ForeColor = 0x00C00000;
  Label21.BackColor = BackColor;
  Label21.Pointer = ui::MousePointer::Hand;

  Add("Shape1", Shape1);
  Add("Label2", Label2);
  Add("Line1", Line1);
  Add("Shape2", Shape2);
  Add("Label21", Label21);
  HandleForm(ui::Event::Load, &frmUG::Form_Load);
  Handle("Label21", ui::Event::Click, &frmUG::Label21_Click);
}

void frmUG::Form_Load() { Label2.Caption = AboutText(); }

void frmUG::Label21_Click() { BrowseTo(std::string(kMakerSiteAddress)); }

void frmUG::BrowseTo(const std::string& pstrURL) { Ui().OpenUrl(pstrURL); }

}  // namespace kx::addin
