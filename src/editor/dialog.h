// Dialogs as portable objects: a dialog fills its controls when it opens and
// takes their values back, validated, when OK is pressed. The platform shows
// it from its template and hands it the controls; the headless platform
// plays the controls from the automation script.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace ulvo {

// The controls of an open dialog, by control id.
class DialogControls {
 public:
  virtual ~DialogControls() = default;
  virtual std::string Text(int id) = 0;
  virtual void SetText(int id, const std::string& text) = 0;
  virtual bool Checked(int id) = 0;
  virtual void SetChecked(int id, bool checked) = 0;
  // Gives a field the keyboard focus with its text selected.
  virtual void Focus(int id) = 0;
  // A drop-down list: its entries, and the chosen one (-1: none).
  virtual void SetListItems(int id, const std::vector<std::string>& items) = 0;
  virtual int ListSelection(int id) = 0;
  virtual void SetListSelection(int id, int index) = 0;
};

class DialogHandler {
 public:
  virtual ~DialogHandler() = default;
  // The dialog template.
  virtual int resource() const = 0;
  // Its groups of radio buttons, in template order: one checked at a time.
  virtual std::vector<std::vector<int>> radioGroups() const { return {}; }
  // The dialog has opened: fill the controls.
  virtual void OnInit(DialogControls& controls) = 0;
  // OK was pressed: take the values; false keeps the dialog open (a field
  // failed its validation and has said so).
  virtual bool OnOk(DialogControls& controls) = 0;
};

enum class DialogResult { kOk, kCancel, kFailed };

// The two messages of the framework's validation: for text that is not an
// integer, and for one outside a range (with %1 and %2 for the bounds).
struct ValidationTexts {
  std::string notInteger;
  std::string outOfRange;
};

// Moves values between a dialog's controls and its members, in one
// direction: into the controls when `save` is false, out of them (with
// validation) when it is true. The first field that fails stops the
// exchange: the message is shown, the field gets the focus, nothing after it
// is read.
class DataExchange {
 public:
  DataExchange(DialogControls& controls, bool save, ValidationTexts texts,
               std::function<void(const std::string& message)> complain);

  void Integer(int id, int32_t& value);
  void Integer(int id, int32_t& value, int32_t low, int32_t high);
  void Text(int id, std::string& value);
  void Check(int id, int32_t& flag);
  // The index of the checked button of the group, -1 when none is.
  void Radio(const std::vector<int>& group, int32_t& index);
  // The chosen entry of a drop-down list, -1 when none is.
  void List(int id, int32_t& index);

  bool failed() const { return failed_; }

 private:
  void Fail(int id, const std::string& message);

  DialogControls& controls_;
  bool save_;
  ValidationTexts texts_;
  std::function<void(const std::string&)> complain_;
  bool failed_ = false;
};

// An integer as the framework reads one from a field: optional blanks, an
// optional sign and digits, optional blanks, nothing else, within 32 bits.
bool ParseDialogInteger(const std::string& text, int32_t& value);

// A string table text with its marks %1, %2, ... filled in, the first of
// each mark taking the value of its number.
std::string FillTextMarks(const std::string& pattern, std::initializer_list<std::string> values);

// "%1 から %2 までの..." with the bounds filled in.
std::string FormatRangeMessage(const std::string& pattern, int32_t low, int32_t high);

}  // namespace ulvo
