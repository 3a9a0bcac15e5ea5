// The object model shared by the Direct3D, D3DX and DirectDraw stand-ins: result codes and
// reference-counted objects that free themselves on their last Release.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/wintypes.h"

constexpr HRESULT S_OK = 0;
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);

inline bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
inline bool FAILED(HRESULT hr) { return hr < 0; }

struct GUID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
};
typedef const GUID& REFIID;
inline bool operator==(const GUID& a, const GUID& b) {
  if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
  for (int i = 0; i < 8; ++i) {
    if (a.Data4[i] != b.Data4[i]) return false;
  }
  return true;
}

// Stands in for the base of every object: AddRef counts a holder, Release drops one and frees
// the object with the last. Both return the count left.
class IUnknown {
 public:
  IUnknown() = default;
  IUnknown(const IUnknown&) = delete;
  IUnknown& operator=(const IUnknown&) = delete;
  virtual ULONG AddRef() { return ++refs_; }
  virtual ULONG Release() {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  virtual ~IUnknown() = default;
  ULONG RefCount() const { return refs_.load(); }

 private:
  std::atomic<ULONG> refs_{1};
};
