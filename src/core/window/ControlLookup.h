#pragma once

#include "core/window/WindowLayout.h"

#include <utility>

// A front-end's control for a row of the table, for windows that name their controls as the
// table does; Handle is what the front-end keeps them as. None for the window itself, which
// is not one of its own controls.
template <typename Handle, typename Window> Handle ControlOfWindow(const Window &w, ControlId id) {
    const std::pair<ControlId, Handle> controls[] = {
        {ControlId::Check2, w.Check2},      {ControlId::Combo1, w.Combo1},
        {ControlId::Picture2, w.Picture2},  {ControlId::HScroll1, w.HScroll1},
        {ControlId::Picture4, w.Picture4},  {ControlId::Text1_2, w.Text1[2]},
        {ControlId::Text1_1, w.Text1[1]},   {ControlId::Picture1, w.Picture1},
        {ControlId::Text2, w.Text2},        {ControlId::Text1_0, w.Text1[0]},
        {ControlId::Check1, w.Check1},      {ControlId::Label3_2, w.Label3[2]},
        {ControlId::Label3_1, w.Label3[1]}, {ControlId::Label3_0, w.Label3[0]},
        {ControlId::Image2, w.Image2},      {ControlId::Image1, w.Image1},
        {ControlId::Label2, w.Label2},      {ControlId::Picture5, w.Picture5},
        {ControlId::Label4, w.Label4},      {ControlId::Label5, w.Label5}};
    for (const auto &[key, control] : controls)
        if (key == id)
            return control;
    return Handle{};
}
