// TEMPORARY stand-ins, never committed.
#pragma once
#include <cstdint>
#include <string>
#include "converter/DefaultInstance.h"
#include "runtime/forms.h"
namespace mdlFenwoZantiro {
void OpenURL(const std::string& address);
void SetWindowTrans(std::intptr_t hWnd, int32_t colorKey, int32_t alpha, int32_t savedStyle);
void SetTopMost(vb::Form& form, bool onTop);
}
class frmAbout : public vb::Form, public zantiro::DefaultInstance<frmAbout> {};
class frmMoney : public vb::Form, public zantiro::DefaultInstance<frmMoney> {};
class frmOutput : public vb::Form, public zantiro::DefaultInstance<frmOutput> {};
