// The window toolkit's headers, in one place; only src/ui includes them.
#pragma once

#include <wx/wx.h>
#include <wx/evtloop.h>
#include <wx/listctrl.h>
#include <wx/spinbutt.h>
#include <wx/strconv.h>
