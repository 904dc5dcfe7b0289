// What loading and freeing each shipped DLL does in the host beyond its own code. Another
// mingw-built library may have brought the GCC runtime DLL (libgcc_s_dw2-1.dll) into the host;
// neither DLL may take a reference to it or call into it while the loader lock is held.
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

typedef void (*FrameCallsProc)(LONG*, LONG*);

TEST(DllStartUpTest, NeitherDllCallsIntoALoadedGccRuntimeWhenLoadedOrFreed)
{
    // chronel binds the running Quillpost.exe when it is loaded: map the simulated host here.
    HMODULE host = LoadLibraryA(BuildPath("host/Quillpost.exe").c_str());
    ASSERT_NE(host, nullptr) << GetLastError();
    HMODULE runtime = LoadLibraryA(BuildPath("fake-unwinder/libgcc_s_dw2-1.dll").c_str());
    ASSERT_NE(runtime, nullptr) << GetLastError();
    auto frameCalls = reinterpret_cast<FrameCallsProc>(reinterpret_cast<void*>(GetProcAddress(runtime, "FrameCalls")));
    ASSERT_NE(frameCalls, nullptr);
    for (const char* name : {"chronel", "chronset"}) {
        SCOPED_TRACE(name);
        LONG registeredBefore = 0, deregisteredBefore = 0;
        frameCalls(&registeredBefore, &deregisteredBefore);
        HMODULE dll = LoadLibraryA(BuildPath("host/Plugins/" + std::string(name) + ".dll").c_str());
        ASSERT_NE(dll, nullptr) << GetLastError();
        LONG registered = 0, deregistered = 0;
        frameCalls(&registered, &deregistered);
        EXPECT_EQ(registered, registeredBefore);
        EXPECT_TRUE(FreeLibrary(dll));
        frameCalls(&registered, &deregistered);
        EXPECT_EQ(registered, registeredBefore);
        EXPECT_EQ(deregistered, deregisteredBefore);
    }
    // The runtime's only reference is this test's own: one free unloads it.
    EXPECT_TRUE(FreeLibrary(runtime));
    EXPECT_EQ(GetModuleHandleA("libgcc_s_dw2-1.dll"), nullptr);
    FreeLibrary(host);
}

}  // namespace
