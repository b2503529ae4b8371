// A program that starts the privileged helper (through the pkexec stand-in and the helper
// named by its first two arguments) with the copy of its last two, and then waits to be
// killed, for the test that the helper goes with it.

#include "platform/Authorization.h"
#include "platform/PlatformTestApi.h"

#include <QString>

#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc != 5)
        return 2;
    platform::test::setPkexecPath(QString::fromLocal8Bit(argv[1]));
    platform::test::setHelperPath(QString::fromLocal8Bit(argv[2]));
    platform::test::setForceUnprivileged(true);

    AuthorizationRef ref = nullptr;
    if (AuthorizationCreate(nullptr, nullptr, kAuthorizationFlagDefaults, &ref) != 0)
        return 1;
    char options[] = "-fp";
    char* arguments[] = {options, argv[3], argv[4], nullptr};
    FILE* stream = nullptr;
    if (AuthorizationExecuteWithPrivileges(ref, "/bin/cp", kAuthorizationFlagDefaults, arguments,
                                           &stream) != 0)
        return 1;
    std::fclose(stream);
    std::printf("helper runs\n");
    std::fflush(stdout);
    for (;;)
        ::pause();
}
