// control_device_win32.cpp: CreateFileA, DeviceIoControl and CloseHandle on the driver's control device.
#include "win32/control_device_win32.h"

#include <windows.h>

namespace lt::win32 {
namespace {

constexpr const char* kControlDeviceName = "\\\\.\\KorUsbMac";

class ControlHandleWin32 : public adapter::ControlHandle {
public:
    explicit ControlHandleWin32(HANDLE handle) : handle_(handle) {}
    ~ControlHandleWin32() override { CloseHandle(handle_); }
    ControlHandleWin32(const ControlHandleWin32&) = delete;
    ControlHandleWin32& operator=(const ControlHandleWin32&) = delete;

    bool request(uint32_t code, std::span<const uint8_t> input, std::span<uint8_t> reply, uint32_t& error) override {
        DWORD returned = 0;
        // METHOD_BUFFERED: the driver only reads the input buffer, whatever the API's type says.
        void* in = input.empty() ? nullptr : const_cast<uint8_t*>(input.data());
        void* out = reply.empty() ? nullptr : reply.data();
        if (!DeviceIoControl(handle_, code, in, static_cast<DWORD>(input.size()), out,
                             static_cast<DWORD>(reply.size()), &returned, nullptr)) {
            error = GetLastError();
            return false;
        }
        return true;
    }

private:
    HANDLE handle_;
};

}  // namespace

std::unique_ptr<adapter::ControlHandle> ControlDeviceWin32::open(uint32_t& error) {
    HANDLE handle = CreateFileA(kControlDeviceName, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        error = GetLastError();
        return nullptr;
    }
    return std::make_unique<ControlHandleWin32>(handle);
}

}  // namespace lt::win32
