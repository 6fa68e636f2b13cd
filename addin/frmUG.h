#pragma once
// frmUG: the About window. It describes the product and how to reach its maker, and owns
// BrowseTo, the one place the add-in asks the system to open a web address.

#include <string>

#include "ui/Form.h"

namespace kx::addin {

class frmUG : public ui::Form {
 public:
  frmUG();

  ui::Shape Shape1;
  ui::Label Label2;   // the description, filled by Form_Load
  ui::Line Line1;
  ui::Shape Shape2;
  ui::Label Label21;  // the maker's notice; a click opens the maker's site

  void Form_Load();
  void Label21_Click();
  // Opens the address in the default browser; the outcome is not looked at.
  void BrowseTo(const std::string& pstrURL);
};

// The text Form_Load puts into Label2.
std::string AboutText();

}  // namespace kx::addin
