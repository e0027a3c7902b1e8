#pragma once

// The reduced build's forms lack some widgets of the full ones: a page
// deletes them right after setupUi() and clears their form pointers. A
// child is named before its parent, which would delete it too.
template <typename... Widgets>
void removeWidgets(Widgets*&... widgets)
{
    ((delete widgets, widgets = nullptr), ...);
}
