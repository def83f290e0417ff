#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/ServerList.h"

namespace kestrune {

// The connection file's fixed text in code page 936: 38 lines, each ended by CR LF, with the
// three placeholders %账号%, %服务器地址% and %密码% once each.
extern const std::string_view ConnectionTemplate;

// The protection step behind the password field: 512 bytes and a description in, one blob out,
// nothing on failure. Tests put a stand-in here.
using ProtectFunction =
    std::function<std::optional<std::string>(std::string_view, std::u16string_view)>;

// The connection text for one entry: the template with the account, "address:port" and, when the
// password is not empty, the password field put in place of the placeholders.
std::string BuildConnectionFile(const ServerEntry& entry,
                                const ProtectFunction& protect = ProtectFunction());

// The protected password as uppercase hexadecimal digits, two per blob byte, and one further "0";
// just "0" when the protection fails. An empty `protect` means the platform's ProtectData.
std::string EncodePasswordField(std::string_view password,
                                const ProtectFunction& protect = ProtectFunction());

}  // namespace kestrune
