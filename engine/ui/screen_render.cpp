// Laying the window model out on the character screen.
#include "engine/ui/screen_render.h"

#include <algorithm>
#include <string_view>

namespace engine {

namespace {

// Floor division: a control scrolled above its window's top is above it, not on its first row.
int32_t FloorDiv(int32_t a, int32_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

class Painter {
 public:
  Painter(const WindowModel& model, ScreenGrid* grid) : model_(model), grid_(*grid) {}

  void Paint();

 private:
  struct Clip {
    int32_t top = 0;
    int32_t left = 0;
    int32_t bottom = ScreenGrid::kRows;  // exclusive
    int32_t right = ScreenGrid::kColumns;
  };

  void Put(int32_t row, int32_t column, char ch, uint8_t attr) {
    if (row < clip_.top || row >= clip_.bottom || column < clip_.left || column >= clip_.right) {
      return;
    }
    const unsigned char byte = static_cast<unsigned char>(ch);
    grid_.cells[row][column] = ScreenCell{byte < 32 ? ' ' : ch, attr};
  }
  // Writes the text from (row, column), at most `width` cells when width >= 0.
  void Text(int32_t row, int32_t column, std::string_view text, uint8_t attr, int32_t width = -1) {
    const int32_t n = width < 0 ? static_cast<int32_t>(text.size())
                                : std::min(width, static_cast<int32_t>(text.size()));
    for (int32_t i = 0; i < n; ++i) Put(row, column + i, text[static_cast<size_t>(i)], attr);
  }
  void Fill(int32_t row, int32_t column, int32_t width, char ch, uint8_t attr) {
    for (int32_t i = 0; i < width; ++i) Put(row, column + i, ch, attr);
  }
  // A hotspot, cut to the clip; nothing when nothing of it is left.
  void Hotspot(ScreenHotspot spot) {
    const int32_t top = std::max(spot.row, clip_.top);
    const int32_t left = std::max(spot.column, clip_.left);
    const int32_t bottom = std::min(spot.row + spot.height, clip_.bottom);
    const int32_t right = std::min(spot.column + spot.width, clip_.right);
    if (top >= bottom || left >= right) return;
    spot.row = top;
    spot.column = left;
    spot.height = bottom - top;
    spot.width = right - left;
    grid_.hotspots.push_back(spot);
  }
  // A framed box with the title in its top border.
  void Box(int32_t row, int32_t column, int32_t width, int32_t height, std::string_view title);

  int32_t CellsX(int32_t pixels) const { return FloorDiv(pixels, model_.cell_width()); }
  int32_t CellsY(int32_t pixels) const { return FloorDiv(pixels, model_.cell_height()); }
  int32_t SpanX(int32_t pixels) const {
    return (pixels + model_.cell_width() - 1) / model_.cell_width();
  }
  int32_t SpanY(int32_t pixels) const {
    return (pixels + model_.cell_height() - 1) / model_.cell_height();
  }

  void MainWindow(const ModelWindow& w);
  void Window(const ModelWindow& w);
  void Contents(const ModelWindow& w, int32_t row, int32_t column, int32_t rows, int32_t columns);
  void Control(const ModelWindow& c, int32_t row, int32_t column);
  void ListView(const ModelWindow& c, int32_t row, int32_t column, int32_t width, int32_t height);
  void Painted(const std::string& text, int32_t row, int32_t column, int32_t rows, int32_t columns);
  void MenuBar(const ModelMenu& bar, int32_t highlighted, WinHandle window);
  void MenuBox(const MenuTrack::Level& level, int32_t level_index);
  void MessageBox(const ModelBox& box);

  const WindowModel& model_;
  ScreenGrid& grid_;
  Clip clip_;
};

std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    // CR LF, and the LF CR of some catalogue texts, are one line end.
    if (end + 1 < text.size() && text[end] != text[end + 1] &&
        (text[end + 1] == '\r' || text[end + 1] == '\n')) {
      ++end;
    }
    start = end + 1;
  }
  return lines;
}

void Painter::Box(int32_t row, int32_t column, int32_t width, int32_t height,
                  std::string_view title) {
  if (width < 2 || height < 2) return;
  for (int32_t r = row; r < row + height; ++r) Fill(r, column, width, ' ', kCellNormal);
  Put(row, column, '+', kCellFrame);
  Put(row, column + width - 1, '+', kCellFrame);
  Put(row + height - 1, column, '+', kCellFrame);
  Put(row + height - 1, column + width - 1, '+', kCellFrame);
  Fill(row, column + 1, width - 2, '-', kCellFrame);
  Fill(row + height - 1, column + 1, width - 2, '-', kCellFrame);
  for (int32_t r = row + 1; r < row + height - 1; ++r) {
    Put(r, column, '|', kCellFrame);
    Put(r, column + width - 1, '|', kCellFrame);
  }
  const int32_t length = static_cast<int32_t>(title.size());
  if (length > 0 && length + 6 <= width) {
    Put(row, column + 2, ' ', kCellTitle);
    Text(row, column + 3, title, kCellTitle);
    Put(row, column + 3 + length, ' ', kCellTitle);
  } else if (length > 0) {
    // A narrow box gives its title the whole border.
    Text(row, column + 1, title, kCellTitle, width - 2);
  }
}

void Painter::Paint() {
  for (auto& row : grid_.cells) {
    for (auto& cell : row) cell = ScreenCell{};
  }
  grid_.cursor_row = grid_.cursor_column = -1;
  grid_.hotspots.clear();
  bool main_drawn = false;
  for (WinHandle handle : model_.StackingOrder()) {
    const ModelWindow* w = model_.Find(handle);
    if (!main_drawn && w->frame == FrameStyle::kCaptioned && w->menu != kNoMenu) {
      MainWindow(*w);
      main_drawn = true;
    } else {
      Window(*w);
    }
  }
  const MenuTrack& track = model_.menu_track();
  if (track.active) {
    for (size_t i = 0; i < track.levels.size(); ++i) {
      const ModelMenu* menu = model_.Menu(track.levels[i].menu);
      if (!menu) continue;
      if (menu->bar) {
        MenuBar(*menu, track.levels[i].highlighted, track.window);
      } else {
        MenuBox(track.levels[i], static_cast<int32_t>(i));
      }
    }
  }
  if (model_.box().shown) MessageBox(model_.box());
  // While a menu or a box has the keyboard, no edit box shows its caret.
  if (track.active || model_.box().shown) grid_.cursor_row = grid_.cursor_column = -1;
}

void Painter::MenuBar(const ModelMenu& bar, int32_t highlighted, WinHandle window) {
  Fill(0, 0, ScreenGrid::kColumns, ' ', kCellBar);
  for (size_t i = 0; i < bar.items.size(); ++i) {
    const int32_t item = static_cast<int32_t>(i);
    const int32_t column = MenuBarItemColumn(bar, item);
    const std::string& caption = bar.items[i].caption;
    const int32_t length = static_cast<int32_t>(caption.size());
    const bool lit = item == highlighted;
    Text(0, column, caption, lit ? kCellHighlight : kCellBar);
    if (!caption.empty()) Put(0, column, caption[0], lit ? kCellHighlight : kCellBarHotkey);
    if (lit) {
      Put(0, column - 1, '[', kCellHighlight);
      Put(0, column + length, ']', kCellHighlight);
    }
    Hotspot(ScreenHotspot{HotspotKind::kMenuBarItem, 0, column - 1, length + 2, 1, window, item});
  }
}

void Painter::MenuBox(const MenuTrack::Level& level, int32_t level_index) {
  const ModelMenu* menu = model_.Menu(level.menu);
  const int32_t width = MenuBoxWidth(*menu);
  const int32_t height = static_cast<int32_t>(menu->items.size()) + 2;
  Box(level.row, level.column, width, height, {});
  Hotspot(ScreenHotspot{HotspotKind::kWindow, level.row, level.column, width, height});
  for (size_t i = 0; i < menu->items.size(); ++i) {
    const int32_t row = level.row + 1 + static_cast<int32_t>(i);
    const bool lit = static_cast<int32_t>(i) == level.highlighted;
    const uint8_t attr = lit ? kCellHighlight : kCellNormal;
    Fill(row, level.column + 1, width - 2, ' ', attr);
    if (lit) Put(row, level.column + 1, '>', attr);
    Text(row, level.column + 2, menu->items[i].caption, attr);
    if (menu->items[i].popup != kNoMenu) Put(row, level.column + width - 2, '>', attr);
    Hotspot(ScreenHotspot{HotspotKind::kMenuItem, row, level.column + 1, width - 2, 1, kNoWindow,
                          static_cast<int32_t>(i), level_index});
  }
}

void Painter::MainWindow(const ModelWindow& w) {
  Hotspot(
      ScreenHotspot{HotspotKind::kWindow, 0, 0, ScreenGrid::kColumns, ScreenGrid::kRows, w.handle});
  const ModelMenu* bar = model_.Menu(w.menu);
  if (bar) MenuBar(*bar, -1, w.handle);
  Fill(ScreenGrid::kRows - 1, 0, ScreenGrid::kColumns, ' ', kCellBar);
  Text(ScreenGrid::kRows - 1, 0, w.text, kCellBar, ScreenGrid::kColumns);
  Contents(w, 1, 0, ScreenGrid::kRows - 2, ScreenGrid::kColumns);
}

void Painter::Window(const ModelWindow& w) {
  const int32_t row = CellsY(w.rect.y);
  const int32_t column = CellsX(w.rect.x);
  const int32_t rows = std::max<int32_t>(SpanY(w.rect.height), 1);
  const int32_t columns = std::max<int32_t>(SpanX(w.rect.width), 1);
  if (w.frame == FrameStyle::kBorderless) {
    for (int32_t r = row; r < row + rows; ++r) Fill(r, column, columns, ' ', kCellPainted);
    Painted(w.painted, row, column, rows, columns);
    return;
  }
  Box(row, column, columns, rows, w.text);
  Hotspot(ScreenHotspot{HotspotKind::kWindow, row, column, columns, rows, w.handle});
  Contents(w, row + 1, column + 1, rows - 2, columns - 2);
}

void Painter::Contents(const ModelWindow& w, int32_t row, int32_t column, int32_t rows,
                       int32_t columns) {
  const Clip outer = clip_;
  clip_ = Clip{std::max(row, outer.top), std::max(column, outer.left),
               std::min(row + rows, outer.bottom), std::min(column + columns, outer.right)};
  for (WinHandle handle : model_.ControlsOf(w.handle)) {
    const ModelWindow* c = model_.Find(handle);
    if (!c->visible) continue;
    Control(*c, row + CellsY(c->rect.y), column + CellsX(c->rect.x));
  }
  Painted(w.painted, row, column, rows, columns);
  clip_ = outer;
}

void Painter::Painted(const std::string& text, int32_t row, int32_t column, int32_t rows,
                      int32_t columns) {
  if (text.empty()) return;
  const std::vector<std::string_view> lines = Lines(text);
  const int32_t count = static_cast<int32_t>(lines.size());
  const int32_t first = row + std::max(0, (rows - count) / 2);
  for (int32_t i = 0; i < count && i < rows; ++i) {
    const int32_t length =
        std::min(columns, static_cast<int32_t>(lines[static_cast<size_t>(i)].size()));
    const int32_t left = column + (columns - length) / 2;
    Fill(first + i, left, length, ' ', kCellPainted);
    Text(first + i, left, lines[static_cast<size_t>(i)], kCellPainted, length);
  }
}

void Painter::Control(const ModelWindow& c, int32_t row, int32_t column) {
  const int32_t box_width = std::max<int32_t>(SpanX(c.rect.width), 1);
  int32_t width = box_width;
  const int32_t height = std::max<int32_t>(SpanY(c.rect.height), 1);
  switch (c.kind) {
    case ControlKind::kStatic: {
      const int32_t length = std::min(width, static_cast<int32_t>(c.text.size()));
      int32_t left = column;
      if (c.style & kCtlRightAlign) left = column + width - length;
      if (c.style & kCtlCentered) left = column + (width - length) / 2;
      Text(row, left, c.text, kCellNormal, length);
      return;  // a label takes no click
    }
    case ControlKind::kPicture:
      Painted(c.text, row, column, height, width);
      return;
    case ControlKind::kEdit: {
      std::string shown = (c.style & kCtlPassword) ? std::string(c.text.size(), '*') : c.text;
      size_t first = 0;
      const bool focused = model_.focused() == c.handle;
      if (focused && shown.size() >= static_cast<size_t>(width)) {
        const size_t caret = std::min<size_t>(c.caret, shown.size());
        if (caret >= static_cast<size_t>(width)) first = caret - static_cast<size_t>(width) + 1;
      }
      shown = shown.substr(std::min(first, shown.size()), static_cast<size_t>(width));
      Fill(row, column, width, '_', kCellInput);
      int32_t left = column;
      if ((c.style & kCtlRightAlign) && shown.size() < static_cast<size_t>(width)) {
        left = column + width - static_cast<int32_t>(shown.size());
      }
      Text(row, left, shown, kCellInput);
      const int32_t caret_column =
          std::min(column + width - 1, left + static_cast<int32_t>(c.caret - first));
      if (focused && row >= clip_.top && row < clip_.bottom && caret_column >= clip_.left &&
          caret_column < clip_.right) {
        grid_.cursor_row = row;
        grid_.cursor_column = caret_column;
      }
      break;
    }
    case ControlKind::kCheckBox:
      Text(row, column, c.checked ? "[X]" : "[ ]", kCellInput);
      Text(row, column + 3, c.text, kCellNormal, std::max(0, width - 3));
      break;
    case ControlKind::kButton: {
      // A button narrower than its caption grows to the right, as far as its window allows.
      width = std::max(box_width, static_cast<int32_t>(c.text.size()) + 2);
      const int32_t inner = std::max(0, width - 2);
      const int32_t length = std::min(inner, static_cast<int32_t>(c.text.size()));
      const uint8_t attr = c.pressed ? kCellHighlight : kCellNormal;
      Fill(row, column, width, ' ', attr);
      Put(row, column, c.pressed ? '<' : '[', attr);
      Put(row, column + width - 1, c.pressed ? '>' : ']', attr);
      Text(row, column + 1 + (inner - length) / 2, c.text, attr, length);
      break;
    }
    case ControlKind::kListBox: {
      Hotspot(ScreenHotspot{HotspotKind::kControl, row, column, width, height, c.handle});
      const int32_t count = static_cast<int32_t>(c.items.size());
      const int32_t first = std::max(0, std::min(c.current - height + 1, count - height));
      for (int32_t i = 0; i < height && first + i < count; ++i) {
        const bool lit = first + i == c.current;
        const uint8_t attr = lit ? kCellHighlight : kCellNormal;
        Fill(row + i, column, width, ' ', attr);
        if (lit) Put(row + i, column, '>', attr);
        Text(row + i, column + 1, c.items[static_cast<size_t>(first + i)], attr, width - 1);
        Hotspot(
            ScreenHotspot{HotspotKind::kListEntry, row + i, column, width, 1, c.handle, first + i});
      }
      return;
    }
    case ControlKind::kComboBox: {
      const std::string current =
          (c.current >= 0 && static_cast<size_t>(c.current) < c.items.size())
              ? c.items[static_cast<size_t>(c.current)]
              : std::string();
      Fill(row, column, width, ' ', kCellInput);
      Put(row, column, '[', kCellInput);
      Text(row, column + 1, current, kCellInput, std::max(0, width - 4));
      Text(row, column + std::max(1, width - 2), "v]", kCellInput);
      break;
    }
    case ControlKind::kProgress: {
      const int64_t span = static_cast<int64_t>(c.progress_high) - c.progress_low;
      const int64_t done = std::clamp<int64_t>(c.progress_position - c.progress_low, 0, span);
      const int32_t filled = span > 0 ? static_cast<int32_t>(done * width / span) : 0;
      Fill(row, column, width, '.', kCellNormal);
      Fill(row, column, filled, '#', kCellHighlight);
      return;
    }
    case ControlKind::kListView:
      ListView(c, row, column, width, height);
      return;
  }
  Hotspot(ScreenHotspot{HotspotKind::kControl, row, column, width, height, c.handle});
}

void Painter::ListView(const ModelWindow& c, int32_t row, int32_t column, int32_t width,
                       int32_t height) {
  Hotspot(ScreenHotspot{HotspotKind::kControl, row, column, width, height, c.handle});
  for (int32_t r = row; r < row + height; ++r) Fill(r, column, width, ' ', kCellNormal);
  const int32_t page = std::max(0, height - 1);
  const int32_t count = static_cast<int32_t>(c.rows.size());
  const Clip outer = clip_;
  clip_ = Clip{std::max(row, outer.top), std::max(column, outer.left),
               std::min(row + height, outer.bottom), std::min(column + width, outer.right)};
  Fill(row, column, width, ' ', kCellHeading);
  int32_t left = column;
  for (size_t k = 0; k < c.columns.size(); ++k) {
    const ModelColumn& col = c.columns[k];
    const int32_t cells = std::max<int32_t>(1, SpanX(col.width));
    const int32_t inner = std::max(0, cells - 1);
    Text(row, left + 1, col.heading, kCellHeading, inner);
    for (int32_t i = 0; i < page && c.top_row + i < count; ++i) {
      const std::vector<std::string>& cells_of_row = c.rows[static_cast<size_t>(c.top_row + i)];
      if (k >= cells_of_row.size()) continue;
      const std::string& text = cells_of_row[k];
      const int32_t length = std::min(inner, static_cast<int32_t>(text.size()));
      const int32_t at = col.right_aligned ? left + cells - length : left + 1;
      const uint8_t attr = c.top_row + i == c.current ? kCellHighlight : kCellNormal;
      Text(row + 1 + i, at, text, attr, length);
    }
    left += cells;
  }
  for (int32_t i = 0; i < page && c.top_row + i < count; ++i) {
    const int32_t r = row + 1 + i;
    if (c.top_row + i == c.current) {
      for (int32_t x = column; x < column + width; ++x) {
        if (r >= clip_.top && r < clip_.bottom && x >= clip_.left && x < clip_.right) {
          grid_.cells[r][x].attr = kCellHighlight;
        }
      }
      Put(r, column, '>', kCellHighlight);
    }
    Hotspot(ScreenHotspot{HotspotKind::kListEntry, r, column, width, 1, c.handle, c.top_row + i});
  }
  if (c.top_row > 0) Put(row + 1, column + width - 1, '^', kCellNormal);
  if (c.top_row + page < count) Put(row + page, column + width - 1, 'v', kCellNormal);
  clip_ = outer;
}

void Painter::MessageBox(const ModelBox& box) {
  const std::vector<std::string_view> lines = Lines(box.text);
  const BoxStyle style = MessageBoxStyle(box.kind);
  std::string buttons;
  std::vector<int32_t> starts;
  for (uint8_t i = 0; i < style.button_count; ++i) {
    if (i > 0) buttons += "  ";
    starts.push_back(static_cast<int32_t>(buttons.size()));
    const bool focused = i == box.focused;
    buttons += focused ? '<' : '[';
    buttons += BoxButtonCaption(style.buttons[i]).view();
    buttons += focused ? '>' : ']';
  }
  int32_t widest = static_cast<int32_t>(std::max(buttons.size(), box.title.size() + 4));
  for (std::string_view line : lines) widest = std::max(widest, static_cast<int32_t>(line.size()));
  const int32_t width = std::min(widest + 4, ScreenGrid::kColumns);
  const int32_t shown_lines =
      std::min<int32_t>(static_cast<int32_t>(lines.size()), ScreenGrid::kRows - 5);
  const int32_t height = shown_lines + 5;
  const int32_t row = (ScreenGrid::kRows - height) / 2;
  const int32_t column = (ScreenGrid::kColumns - width) / 2;
  Box(row, column, width, height, box.title);
  Hotspot(ScreenHotspot{HotspotKind::kWindow, row, column, width, height});
  for (int32_t i = 0; i < shown_lines; ++i) {
    Text(row + 2 + i, column + 2, lines[static_cast<size_t>(i)], kCellNormal, width - 4);
  }
  const int32_t button_width = std::min(width - 4, static_cast<int32_t>(buttons.size()));
  const int32_t button_row = row + height - 2;
  const int32_t button_column = column + (width - button_width) / 2;
  Text(button_row, button_column, buttons, kCellNormal, button_width);
  for (uint8_t i = 0; i < style.button_count; ++i) {
    const int32_t at = starts[i];
    if (at + 1 >= button_width) break;
    const int32_t length = static_cast<int32_t>(BoxButtonCaption(style.buttons[i]).len) + 2;
    Put(button_row, button_column + at + 1, buttons[static_cast<size_t>(at) + 1], kCellHotkey);
    Hotspot(ScreenHotspot{HotspotKind::kBoxButton, button_row, button_column + at,
                          std::min(length, button_width - at), 1, kNoWindow, i});
  }
}

}  // namespace

void RenderScreen(const WindowModel& model, ScreenGrid* grid) { Painter(model, grid).Paint(); }

const ScreenHotspot* HotspotAt(const ScreenGrid& grid, int32_t row, int32_t column) {
  for (auto it = grid.hotspots.rbegin(); it != grid.hotspots.rend(); ++it) {
    if (row >= it->row && row < it->row + it->height && column >= it->column &&
        column < it->column + it->width) {
      return &*it;
    }
  }
  return nullptr;
}

std::string ScreenText(const ScreenGrid& grid) {
  std::string text;
  for (const auto& row : grid.cells) {
    std::string line;
    for (const ScreenCell& cell : row) line.push_back(cell.ch);
    line.erase(line.find_last_not_of(' ') + 1);
    text += line;
    text += '\n';
  }
  return text;
}

}  // namespace engine
