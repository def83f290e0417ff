#include "launch/ConnectionFile.h"

#include <algorithm>

#include "core/Text.h"
#include "platform/CodePage.h"
#include "platform/DataProtection.h"

namespace kestrune {

namespace {

// The placeholders in code page 936.
constexpr std::string_view kAccount = "%\xD5\xCB\xBA\xC5%";                          // %账号%
constexpr std::string_view kAddress = "%\xB7\xFE\xCE\xF1\xC6\xF7\xB5\xD8\xD6\xB7%";  // %服务器地址%
constexpr std::string_view kPassword = "%\xC3\xDC\xC2\xEB%";                         // %密码%

constexpr std::string_view kTemplate =
    "screen mode id:i:1\r\n"
    "desktopwidth:i:800\r\n"
    "desktopheight:i:600\r\n"
    "session bpp:i:16\r\n"
    "winposstr:s:0,3,0,0,800,600\r\n"
    "compression:i:1\r\n"
    "keyboardhook:i:2\r\n"
    "displayconnectionbar:i:1\r\n"
    "username:s:%\xD5\xCB\xBA\xC5%\r\n"
    "disable wallpaper:i:1\r\n"
    "disable full window drag:i:1\r\n"
    "allow desktop composition:i:0\r\n"
    "allow font smoothing:i:0\r\n"
    "disable menu anims:i:1\r\n"
    "disable themes:i:0\r\n"
    "disable cursor setting:i:0\r\n"
    "bitmapcachepersistenable:i:1\r\n"
    "full address:s:%\xB7\xFE\xCE\xF1\xC6\xF7\xB5\xD8\xD6\xB7%\r\n"
    "%\xC3\xDC\xC2\xEB%\r\n"
    "audiomode:i:0\r\n"
    "redirectprinters:i:1\r\n"
    "redirectcomports:i:0\r\n"
    "redirectsmartcards:i:1\r\n"
    "redirectclipboard:i:1\r\n"
    "redirectposdevices:i:0\r\n"
    "drivestoredirect:s:\r\n"
    "autoreconnection enabled:i:1\r\n"
    "authentication level:i:0\r\n"
    "prompt for credentials:i:0\r\n"
    "negotiate security layer:i:1\r\n"
    "remoteapplicationmode:i:0\r\n"
    "alternate shell:s:\r\n"
    "shell working directory:s:\r\n"
    "gatewayhostname:s:\r\n"
    "gatewayusagemethod:i:4\r\n"
    "gatewaycredentialssource:i:4\r\n"
    "gatewayprofileusagemethod:i:0\r\n"
    "promptcredentialonce:i:1\r\n";

static_assert(kTemplate.size() == 908);

constexpr std::string_view kPasswordFieldName = "password 51:b:";
constexpr std::size_t kProtectionInputBytes = 512;
constexpr char kHexDigits[] = "0123456789ABCDEF";

}  // namespace

const std::string_view ConnectionTemplate = kTemplate;

std::string EncodePasswordField(std::string_view password, const ProtectFunction& protect) {
    // UTF-16LE with the terminating zero unit, in a buffer of exactly 512 bytes: zeros after a
    // short password, the first 512 bytes (no zero unit) of a long one.
    std::u16string units = Cp936ToUtf16(password);
    units.push_back(u'\0');
    std::string input(kProtectionInputBytes, '\0');
    const std::size_t count = std::min(units.size(), kProtectionInputBytes / 2);
    for (std::size_t i = 0; i < count; ++i) {
        input[2 * i] = static_cast<char>(units[i] & 0xFF);
        input[2 * i + 1] = static_cast<char>(units[i] >> 8);
    }
    const auto blob = protect ? protect(input, u"psw") : ProtectData(input, u"psw");
    std::fill(input.begin(), input.end(), '\0');
    std::fill(units.begin(), units.end(), u'\0');

    std::string field;
    if (blob) {
        field.reserve(2 * blob->size() + 1);
        for (const char byte : *blob) {
            const auto value = static_cast<unsigned char>(byte);
            field.push_back(kHexDigits[value >> 4]);
            field.push_back(kHexDigits[value & 0x0F]);
        }
    }
    field.push_back('0');
    return field;
}

std::string BuildConnectionFile(const ServerEntry& entry, const ProtectFunction& protect) {
    std::string text = ReplaceAll(ConnectionTemplate, kAccount, entry.account);
    text = ReplaceAll(text, kAddress, entry.address + ":" + entry.port);
    if (!entry.password.empty()) {
        const std::string field =
            std::string(kPasswordFieldName) + EncodePasswordField(entry.password, protect);
        text = ReplaceAll(text, kPassword, field);
    }
    return text;
}

}  // namespace kestrune
