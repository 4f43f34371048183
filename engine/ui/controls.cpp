// Labels, field controls, the form's "Ok" button, toolbars, the logo and the menu bar.
#include "engine/ui/controls.h"

#include <algorithm>

#include "engine/core/list_string.h"
#include "engine/core/streams.h"
#include "engine/core/string_area.h"
#include "engine/core/string_slots.h"
#include "engine/core/text_ops.h"
#include "engine/core/value_tables.h"
#include "engine/lang/variables.h"
#include "engine/ui/keys.h"
#include "engine/ui/native_fonts.h"
#include "engine/ui/screen_geometry.h"
#include "engine/ui/status_line.h"
#include "engine/ui/window_layer.h"

namespace engine {

namespace {

constexpr uint16_t kAuxCheckBoxes = 16;  // _AUXSTAT: logical fields as check boxes
constexpr int32_t kCheckBoxCells = 4;
constexpr int32_t kMinFieldPixels = 15;
constexpr int32_t kOkButtonCells = 12;
constexpr int32_t kOkButtonFromRight = 14;
constexpr int32_t kLogoBorder = 3;
constexpr StrRef kOkCaption = StrLit("Ok");

bool IsRightAligned(char type) {
  return type == 'N' || type == 'L' || (type >= '1' && type <= '9');
}

WindowHost& Host() { return CurrentWindowHost(); }

WinHandle MakeControl(const ControlDesc& desc, uint16_t font, Status* status) {
  Status created = kOk;
  const WinHandle control = Host().CreateControl(desc, &created);
  if (control == kNoWindow) {
    if (status) *status = created != kOk ? created : Status(kWindowsControlError);
    return kNoWindow;
  }
  (void)FontApply(control, font);
  if (status) *status = kOk;
  return control;
}

}  // namespace

Status WinLabel(int32_t row, int32_t column, StrRef text) {
  if (text.IsStatus()) return StrCheck(text);
  const WinHandle window = WinTop();
  if (window == kNoWindow) return kBadInputData;
  StrAreaScope scope;
  if (row == 1 && column == 1 && !text.empty() && text[0] == '<') {
    return WinSetTitle(window, StatusLineText(StrSub(text, 3, -1)));
  }
  const ScreenExtent extent = CurrentExtent();
  const int32_t number = kIdLabelBase + row * extent.columns + column;
  const uint16_t id = static_cast<uint16_t>(std::clamp(number, 0, 0xFFFF));
  const WinHandle old = Host().FindControl(window, id);
  if (old != kNoWindow) Host().DestroyWindow(old);
  const StrRef shown = WinText(text);
  ControlDesc desc;
  desc.kind = ControlKind::kStatic;
  desc.style = kCtlVisible;
  desc.parent = window;
  desc.id = id;
  desc.rect = Rect{ColumnX(column), RowY(row), CellsWidth(shown.len), CurrentCellSize().height};
  desc.text = shown;
  Status status = kOk;
  (void)MakeControl(desc, kFontUser, &status);
  return status;
}

int32_t FieldControlWidth(uint16_t width) {
  const int32_t cell = CurrentCellSize().width;
  const int32_t q = width / 10 + (width % 10 > 5 ? 1 : 0);
  return std::max(kMinFieldPixels, width * cell - (q - 1) * (cell / 2));
}

WinHandle WinFieldControl(const FieldControlDesc& field, char* type, Status* status) {
  if (status) *status = kOk;
  char handled_as = field.type == 'P' ? 'A' : field.type;
  if (type) *type = handled_as;
  if (field.type == 'Q') return kNoWindow;
  const WinHandle window = WinTop();
  if (window == kNoWindow) {
    if (status) *status = kBadInputData;
    return kNoWindow;
  }
  const CellSize cell = CurrentCellSize();
  ControlDesc desc;
  desc.parent = window;
  desc.id = static_cast<uint16_t>(kIdFieldBase + field.field);
  const int32_t y = RowY(field.row);
  const int32_t height = field.grid ? cell.height * 7 / 8 : cell.height;
  if (field.type == 'L' && SysWordTest(kSysAuxStat, kAuxCheckBoxes)) {
    desc.kind = ControlKind::kCheckBox;
    desc.style = kCtlVisible | kCtlTabStop;
    desc.rect = Rect{ColumnX(field.column), y, CellsWidth(kCheckBoxCells), height};
  } else {
    desc.kind = ControlKind::kEdit;
    desc.style = kCtlVisible | kCtlTabStop | kCtlAutoHScroll;
    if (!field.grid) desc.style |= kCtlSunken;
    if (!field.editable || field.display_only) desc.style |= kCtlReadOnly;
    if (field.type == 'P') desc.style |= kCtlPassword;
    if (IsRightAligned(handled_as)) desc.style |= kCtlRightAlign;
    int32_t x = ColumnX(field.column);
    if (!field.grid) x = std::max(1, x - cell.width / 4);
    desc.rect = Rect{x, y, FieldControlWidth(field.width), height};
  }
  const WinHandle control = MakeControl(desc, kFontUser, status);
  if (control == kNoWindow) return kNoWindow;
  Host().SetTextLimit(control, field.length);
  WinHookControl(control, field.checked_caption);
  return control;
}

Status WinFitForm(WinHandle window) {
  WindowHost& host = Host();
  if (!host.IsWindow(window)) return kBadInputData;
  const ScreenExtent extent = CurrentExtent();
  const CellSize cell = CurrentCellSize();
  const int32_t client_width = CellsWidth(extent.columns);
  const int32_t client_height = RowsHeight(extent.rows + 2);
  const Insets frame = host.FrameInsets(KindFrame(WinKind(window)), false);
  const int32_t width = client_width + frame.left + frame.right;
  const int32_t height = client_height + frame.top + frame.bottom;
  const Rect work = host.WorkArea();
  host.MoveWindow(window, Rect{work.x + std::max(0, (work.width - width) / 2),
                               work.y + std::max(0, (work.height - height) / 2), width, height});
  if (host.FindControl(window, kIdOk) != kNoWindow) return kOk;
  ControlDesc desc;
  desc.kind = ControlKind::kButton;
  desc.style = kCtlVisible | kCtlTabStop;
  desc.parent = window;
  desc.id = kIdOk;
  desc.rect =
      Rect{client_width - kOkButtonFromRight * cell.width,
           client_height - cell.height - cell.height / 2, kOkButtonCells * cell.width, cell.height};
  desc.text = kOkCaption;
  Status status = kOk;
  (void)MakeControl(desc, kFontSystem, &status);
  return status;
}

Status WinToolbar(WinHandle window, const uint16_t* commands, uint16_t count, StrRef captions,
                  int32_t row, int32_t column, bool vertical) {
  if (!Host().IsWindow(window)) return kBadInputData;
  StrAreaScope scope;
  const CellSize cell = CurrentCellSize();
  int32_t x = ColumnX(column);
  int32_t y = RowY(row);
  for (uint16_t i = 0; i < count; ++i) {
    const StrRef caption = WinText(StrUnquote(StrTrim(ListField(captions, ',', i + 1), kTrimBoth)));
    const int32_t width = CellsWidth(static_cast<int32_t>(caption.len) + 2);
    ControlDesc desc;
    desc.kind = ControlKind::kButton;
    desc.style = kCtlVisible;
    desc.parent = window;
    desc.id = static_cast<uint16_t>(kIdToolbarBase + commands[i]);
    desc.rect = Rect{x, y, width, cell.height};
    desc.text = caption;
    Status status = kOk;
    if (MakeControl(desc, kFontUser, &status) == kNoWindow) return status;
    if (vertical) {
      y += cell.height;
    } else {
      x += width + cell.width;
    }
  }
  return kOk;
}

Status WinShowLogo(WinHandle window) {
  WindowHost& host = Host();
  if (!host.IsWindow(window)) return kBadInputData;
  StrAreaScope scope;
  BitmapHandle bitmap = host.LoadBitmapResource(kLogoResource);
  if (bitmap == kNoBitmap) {
    const StrRef file = FileFindOnPath(kLogoFileName);
    if (!file.IsStatus()) bitmap = host.LoadBitmapFile(file);
  }
  const Rect client = host.GetClientRect(window);
  ControlDesc desc;
  desc.kind = ControlKind::kPicture;
  desc.style = kCtlVisible | kCtlSunken | kCtlCentered;
  desc.parent = window;
  desc.rect = Rect{kLogoBorder, kLogoBorder, std::max(0, client.width - 2 * kLogoBorder),
                   std::max(0, client.height - 2 * kLogoBorder)};
  desc.text = SlotGet(kGroupEnvironment, kEnvAppDescription);
  Status status = kOk;
  const WinHandle picture = host.CreateControl(desc, &status);
  if (picture == kNoWindow) return status != kOk ? status : Status(kWindowsControlError);
  if (bitmap != kNoBitmap) host.SetBitmap(picture, bitmap);
  return kOk;
}

Status WinSetMenuBar(WinHandle window, MenuHandle menu) {
  return Host().SetWindowMenu(window, menu) ? Status(kOk) : Status(kWindowsControlError);
}

}  // namespace engine
