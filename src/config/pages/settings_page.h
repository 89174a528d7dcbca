// The page framework shared by the fifteen pages of the other-settings window. A page holds no
// settings of its own: each control is bound to one field of the process-wide configuration set
// and writes it the moment it changes; the page's "保存" stores the whole set to config.dat.
#pragma once

#include <QString>
#include <functional>
#include <initializer_list>
#include <vector>

#include "config/config_fields.h"
#include "platform/dialog.h"

class QLabel;

namespace config {

inline constexpr int kPageWidth = 453;
inline constexpr int kPageHeight = 316;

inline constexpr char16_t kSaveCaption[] = u"保存";
inline constexpr char16_t kSaveSucceeded[] = u"保存成功!";
inline constexpr char16_t kSaveFailed[] = u"保存失败!";
inline constexpr char16_t kPasswordsDiffer[] = u"两次密码不同！";

// The items of every off/on drop-down list, at positions 0 and 1.
inline constexpr char16_t kItemDisabled[] = u"禁用";
inline constexpr char16_t kItemEnabled[] = u"启用";

// Left, top, width and height in dialog units of the page template.
struct DluRect {
  int x;
  int y;
  int width;
  int height;
};

class SettingsPage : public platform::Dialog {
 public:
  SettingsPage(int templateId, QWidget* parent);

  // Fills every combo with its fixed items and selects its initial item. Writes no field: the
  // set may not hold the pages' state before config.dat has been loaded or its defaults written.
  virtual BOOL OnInitDialog();
  // Copies the page's group from the configuration set into its controls.
  virtual void LoadPage();
  // Writes what every control shows into its field, so that what the push sends is what the page
  // shows.
  virtual void StoreShownValues();

  // The single copies the load-all-pages routine makes itself (cloud and language pages).
  void ShowFlag(int id, Int32Field field);
  void ShowChoice(int id, Int32Field field);

 protected:
  void AddGroupBox(DluRect rect);
  QLabel* AddLabel(const QString& text, DluRect rect, bool rightAligned = false);
  // A thin etched line between the rows or columns of a grid.
  void AddEtchedLine(DluRect rect, bool horizontal);

  // The handler kinds.
  void AddEnableFlag(int id, const QString& caption, DluRect rect, Int32Field field);
  // rect's height is the dropped-down height; the closed box has the standard combo height.
  void AddChoice(int id, DluRect rect, std::initializer_list<const char16_t*> items,
                 Int32Field field, int initialItem = 0);
  void AddChoice(int id, DluRect rect, std::vector<QString> items, Int32Field field,
                 int initialItem = 0);
  void AddNumber(int id, DluRect rect, Int32Field field);
  void AddText(int id, DluRect rect, TextField field, bool password = false);
  void AddAddress(int id, DluRect rect, TextField field);
  // An up-down time picker bound to the hour, minute and second of field.
  void AddTime(int id, DluRect rect, TimeFields field);
  // A date-time picker bound to six consecutive uint16 values from year: year, month, day, hour,
  // minute, second.
  void AddDateTime(int id, DluRect rect, Uint16Field year, const QString& displayFormat);

  // A "保存" button running the shared save, or the given handler.
  void AddSaveButton(int id, DluRect rect, std::function<void()> handler = {});
  // Stores the set and reports "保存成功!" or "保存失败!".
  void OnSave();

 private:
  enum class Kind { EnableFlag, Choice, Number, Text, Address, Time, DateTime };
  struct Binding {
    int id;
    Kind kind;
    int offset;
    std::vector<QString> items;
    int initialItem;
  };

  void ShowBinding(const Binding& binding);
  void StoreBinding(const Binding& binding) const;

  std::vector<Binding> m_bindings;
};

}  // namespace config
