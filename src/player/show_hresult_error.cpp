#include "player/show_hresult_error.h"

#include "base/error_box.h"
#include "base/ui_text.h"

namespace {

// UI text slot of "コーデックとスプリッターをインストールしてください。".
constexpr int kInstallCodecsText = 114;

}  // namespace

QString HResultErrorText(PlayerResult result) {
  switch (result) {
    case kResultNotImplemented:
      return "E_NOTIMPL";
    case kResultNoInterface:
      return "E_NOINTERFACE";
    case kResultPointer:
      return "E_POINTER";
    case kResultMissingDecoder:
      return UiText(kInstallCodecsText);
    case kResultNotConnected:
      return "VFW_E_NOT_CONNECTED";
    case kResultWrongState:
      return "VFW_E_WRONG_STATE";
    case kResultOutOfMemory:
      return "E_OUTOFMEMORY";
    case kResultInvalidArg:
      return "E_INVALIDARG";
    default:
      return QString("Unknown 0x%1").arg(static_cast<std::uint32_t>(result), 0, 16);
  }
}

bool ShowHResultError(PlayerResult result, QWidget* owner) {
  if (!Failed(result)) return true;
  ShowErrorBox(owner, HResultErrorText(result));
  return false;
}
