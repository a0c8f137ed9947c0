// The account the program runs as, outside Windows: there are no Windows accounts, so
// the call fails.
#include "platform/account.h"
#include "platform/services.h"

namespace platform {
namespace {

struct NoAccount final : Account {
    Result<Bool> GetProcessUserSid(char16_t* buffer, Dword size) override {
        if (buffer && size > 0) buffer[0] = 0;
        return {0, kErrorNotSupported};
    }
};

}  // namespace

template <>
Account& Default<Account>() {
    static NoAccount instance;
    return instance;
}

}  // namespace platform
