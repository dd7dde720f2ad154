// The alignment of a parent's children.
#include "ui/qt/AlignLayout.h"

#include <algorithm>

namespace ui {

std::vector<Bounds> AlignChildren(const std::vector<TControl*>& children, const Bounds& area) {
  std::vector<Bounds> bounds;
  bounds.reserve(children.size());
  for (const TControl* child : children) {
    bounds.push_back({child->Left(), child->Top(), child->Width(), child->Height()});
  }
  int left = area.Left;
  int top = area.Top;
  int right = area.Left + area.Width;
  int bottom = area.Top + area.Height;
  auto placed = [&](TAlign align, auto before) {
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < children.size(); ++i) {
      if (children[i]->Align == align && children[i]->Visible) {
        order.push_back(i);
      }
    }
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
      return before(*children[a], *children[b]);
    });
    return order;
  };
  for (std::size_t i :
       placed(alTop, [](const TControl&a, const TControl&b) { return a.Top() < b.Top(); })) {
    const int height = std::min(children[i]->Height(), std::max(0, bottom - top));
    bounds[i] = {left, top, std::max(0, right - left), height};
    top += height;
  }
  for (std::size_t i : placed(alBottom, [](const TControl&a, const TControl&b) {
         return a.Top() + a.Height() > b.Top() + b.Height();
       })) {
    const int height = std::min(children[i]->Height(), std::max(0, bottom - top));
    bottom -= height;
    bounds[i] = {left, bottom, std::max(0, right - left), height};
  }
  for (std::size_t i :
       placed(alLeft, [](const TControl&a, const TControl&b) { return a.Left() < b.Left(); })) {
    const int width = std::min(children[i]->Width(), std::max(0, right - left));
    bounds[i] = {left, top, width, std::max(0, bottom - top)};
    left += width;
  }
  for (std::size_t i : placed(alRight, [](const TControl&a, const TControl&b) {
         return a.Left() + a.Width() > b.Left() + b.Width();
       })) {
    const int width = std::min(children[i]->Width(), std::max(0, right - left));
    right -= width;
    bounds[i] = {right, top, width, std::max(0, bottom - top)};
  }
  for (std::size_t i : placed(alClient, [](const TControl&, const TControl&) { return false; })) {
    bounds[i] = {left, top, std::max(0, right - left), std::max(0, bottom - top)};
  }
  return bounds;
}

}  // namespace ui
