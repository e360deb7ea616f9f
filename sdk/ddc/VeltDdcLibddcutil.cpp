// The DDC bus through libddcutil's C API. The library is loaded with dlopen on first use rather than
// linked: libddcutil 1.4 prints its start-up notes to standard output while it loads, which would
// land in the middle of a console program's output, so they are sent to standard error instead.

#include "VeltDdcLibddcutil.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include <ddcutil_c_api.h>
#include <ddcutil_status_codes.h>

namespace {

constexpr const char* kLibraryName = "libddcutil.so.4";

// The libddcutil functions this bus calls.
struct Api {
  decltype(&ddca_get_display_refs) getDisplayRefs;
  decltype(&ddca_get_display_info) getDisplayInfo;
  decltype(&ddca_free_display_info) freeDisplayInfo;
  decltype(&ddca_open_display2) openDisplay;
  decltype(&ddca_close_display) closeDisplay;
  decltype(&ddca_get_non_table_vcp_value) getValue;
  decltype(&ddca_set_non_table_vcp_value) setValue;
  decltype(&ddca_rc_name) statusName;
  decltype(&ddca_set_fout) setOutput;
  decltype(&ddca_enable_verify) enableVerify;
};

template <typename Function>
bool Resolve(void* library, const char* name, Function& function) {
  function = reinterpret_cast<Function>(dlsym(library, name));
  return function != nullptr;
}

// Runs load() with standard output pointed at standard error.
void* WithStdoutOnStderr(void* (*load)()) {
  std::fflush(stdout);
  const int saved = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
  if (saved < 0) return load();
  dup2(STDERR_FILENO, STDOUT_FILENO);
  void* library = load();
  std::fflush(stdout);
  dup2(saved, STDOUT_FILENO);
  close(saved);
  return library;
}

// Loads libddcutil and resolves its functions; on failure *problem says why.
bool LoadApi(Api* api, std::string* problem) {
  void* library = WithStdoutOnStderr([]() -> void* { return dlopen(kLibraryName, RTLD_NOW | RTLD_LOCAL); });
  if (!library) {
    const char* why = dlerror();
    *problem = std::string("cannot load ") + kLibraryName + " (" + (why ? why : "unknown reason") +
               "): install Debian's libddcutil4 package";
    return false;
  }
  // Kept loaded for the life of the process: display references stay valid only while it is.
  const bool resolved =
      Resolve(library, "ddca_get_display_refs", api->getDisplayRefs) &&
      Resolve(library, "ddca_get_display_info", api->getDisplayInfo) &&
      Resolve(library, "ddca_free_display_info", api->freeDisplayInfo) &&
      Resolve(library, "ddca_open_display2", api->openDisplay) &&
      Resolve(library, "ddca_close_display", api->closeDisplay) &&
      Resolve(library, "ddca_get_non_table_vcp_value", api->getValue) &&
      Resolve(library, "ddca_set_non_table_vcp_value", api->setValue) &&
      Resolve(library, "ddca_rc_name", api->statusName) && Resolve(library, "ddca_set_fout", api->setOutput) &&
      Resolve(library, "ddca_enable_verify", api->enableVerify);
  if (!resolved) {
    dlclose(library);
    *problem = std::string(kLibraryName) + " lacks the functions of libddcutil 1.4: install Debian's libddcutil4 1.4";
    return false;
  }
  return true;
}

std::vector<VeltI2cDevice> I2cDevices() {
  std::vector<VeltI2cDevice> devices;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("/dev", error)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("i2c-", 0) != 0) continue;
    const std::string path = entry.path().string();
    devices.push_back({path, access(path.c_str(), R_OK | W_OK) == 0});
  }
  std::sort(devices.begin(), devices.end(),
            [](const VeltI2cDevice& a, const VeltI2cDevice& b) { return a.path < b.path; });
  return devices;
}

std::string Where(const DDCA_Display_Info& info) {
  if (info.path.io_mode == DDCA_IO_I2C) return "/dev/i2c-" + std::to_string(info.path.path.i2c_busno);
  if (info.path.io_mode == DDCA_IO_USB) return "USB device " + std::to_string(info.path.path.hiddev_devno);
  return "display " + std::to_string(info.dispno);
}

class LibddcutilBus : public VeltDdcBus {
 public:
  std::vector<VeltDdcDisplay> Scan(std::string* problem) override {
    refs_.clear();
    if (!loaded_ && !(loaded_ = LoadApi(&api_, problem))) return {};
    ForThisThread();
    DDCA_Display_Ref* refs = nullptr;
    api_.getDisplayRefs(false, &refs);
    std::vector<VeltDdcDisplay> displays;
    for (int i = 0; refs && refs[i]; ++i) {
      DDCA_Display_Info* info = nullptr;
      if (api_.getDisplayInfo(refs[i], &info) != 0 || !info) continue;
      displays.push_back({info->mfg_id, info->model_name,
                          std::vector<unsigned char>(info->edid_bytes, info->edid_bytes + kVeltEdidSize), Where(*info)});
      api_.freeDisplayInfo(info);
      refs_.push_back(refs[i]);
    }
    std::free(refs);
    if (displays.empty()) *problem = VeltExplainNoDisplay(I2cDevices());
    return displays;
  }

  VeltDdcOutcome Read(int display, int feature, VeltDdcValue* value) override {
    return WithHandle(display, [&](DDCA_Display_Handle handle) {
      DDCA_Non_Table_Vcp_Value reply{};
      const DDCA_Status status = api_.getValue(handle, static_cast<DDCA_Vcp_Feature_Code>(feature), &reply);
      if (status == 0) {
        value->current = reply.sh << 8 | reply.sl;
        value->maximum = reply.mh << 8 | reply.ml;
      }
      return status;
    });
  }

  VeltDdcOutcome Write(int display, int feature, int value) override {
    return WithHandle(display, [&](DDCA_Display_Handle handle) {
      return api_.setValue(handle, static_cast<DDCA_Vcp_Feature_Code>(feature),
                           static_cast<uint8_t>(value >> 8 & 0xFF), static_cast<uint8_t>(value & 0xFF));
    });
  }

 private:
  // libddcutil keeps these settings per thread. Its messages go to standard error, and a write is
  // not read back: a reset or a power change does not read back as the value written, and the SDK's
  // flag only says whether the monitor took the command.
  void ForThisThread() {
    api_.setOutput(stderr);
    api_.enableVerify(false);
  }

  template <typename Operation>
  VeltDdcOutcome WithHandle(int display, Operation operation) {
    if (display < 0 || display >= static_cast<int>(refs_.size())) {
      return {VeltDdcFault::kFailed, "no such display"};
    }
    ForThisThread();
    DDCA_Display_Handle handle = nullptr;
    DDCA_Status status = api_.openDisplay(refs_[display], true, &handle);
    if (status == 0) {
      status = operation(handle);
      api_.closeDisplay(handle);
    }
    if (status == 0) return {};
    const char* name = api_.statusName(status);
    return {VeltClassifyDdcStatus(status), name ? name : "status " + std::to_string(status)};
  }

  Api api_{};
  bool loaded_ = false;
  std::vector<DDCA_Display_Ref> refs_;
};

}  // namespace

const char kVeltI2cAccessFix[] =
    "add a udev rule giving your user read and write access to /dev/i2c-* (for example "
    "KERNEL==\"i2c-[0-9]*\", GROUP=\"i2c\", MODE=\"0660\", with your user in the i2c group)";

std::unique_ptr<VeltDdcBus> VeltMakeLibddcutilBus() { return std::make_unique<LibddcutilBus>(); }

VeltDdcFault VeltClassifyDdcStatus(int status) {
  switch (status) {
    case DDCRC_OK:
      return VeltDdcFault::kNone;
    case DDCRC_REPORTED_UNSUPPORTED:
    case DDCRC_DETERMINED_UNSUPPORTED:
      return VeltDdcFault::kUnsupported;
    case DDCRC_RETRIES:
    case DDCRC_NULL_RESPONSE:
    case DDCRC_ALL_RESPONSES_NULL:
    case DDCRC_DDC_DATA:
    case -EIO:
    case -ENXIO:
    case -EREMOTEIO:
      return VeltDdcFault::kNoAnswer;
    case -EACCES:
    case -EPERM:
      return VeltDdcFault::kNoPermission;
    default:
      return VeltDdcFault::kFailed;
  }
}

std::string VeltExplainNoDisplay(const std::vector<VeltI2cDevice>& devices) {
  if (devices.empty()) {
    return "no monitor answers DDC/CI: there are no /dev/i2c-* devices; load the i2c-dev module "
           "(sudo modprobe i2c-dev, and add i2c-dev to /etc/modules-load.d/ to keep it)";
  }
  // Only when none can be opened: the monitor's bus may be open while others stay root's.
  const bool noneOpen = std::none_of(devices.begin(), devices.end(),
                                     [](const VeltI2cDevice& device) { return device.accessible; });
  if (noneOpen) {
    return std::string("no monitor answers DDC/CI: no permission to read and write any /dev/i2c-* device; ") +
           kVeltI2cAccessFix;
  }
  return "no monitor answers DDC/CI: turn DDC/CI on in the monitor's menu and check the cable "
         "(some docks and adapters do not pass DDC/CI through)";
}
