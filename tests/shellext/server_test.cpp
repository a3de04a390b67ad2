// The library's exports called directly, as COM calls them: the class object, aggregation and the
// answer to "may the library be unloaded now".
#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <atomic>

#include "shellext/class_id.h"
#include "tests/shellext/host_support.h"

namespace {

using Microsoft::WRL::ComPtr;
using namespace shellext_testing;

using GetClassObjectFunction = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using CanUnloadNowFunction = HRESULT(STDAPICALLTYPE*)();

class Server : public ::testing::Test {
protected:
    void SetUp() override {
        library = LoadLibraryW(BuiltLibrary().c_str());
        ASSERT_NE(library, nullptr) << "no library at " << BuiltLibrary();
        getClassObject = reinterpret_cast<GetClassObjectFunction>(
            reinterpret_cast<void*>(GetProcAddress(library, "DllGetClassObject")));
        canUnloadNow =
            reinterpret_cast<CanUnloadNowFunction>(reinterpret_cast<void*>(GetProcAddress(library, "DllCanUnloadNow")));
        ASSERT_NE(getClassObject, nullptr);
        ASSERT_NE(canUnloadNow, nullptr);
    }
    void TearDown() override {
        if (library) FreeLibrary(library);
    }

    ComPtr<IClassFactory> Factory() {
        ComPtr<IClassFactory> factory;
        EXPECT_EQ(getClassObject(shellext::kToDoMenuClassId, IID_PPV_ARGS(&factory)), S_OK);
        return factory;
    }

    HMODULE library = nullptr;
    GetClassObjectFunction getClassObject = nullptr;
    CanUnloadNowFunction canUnloadNow = nullptr;
};

// An outer object that only counts the references its inner object hands to it.
class Outer final : public IUnknown {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** ppv) override {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    std::atomic<ULONG> references{1};
};

TEST_F(Server, ForeignClassIsNotAvailableAndLeavesNoPointer) {
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(getClassObject(IID_IContextMenu, IID_IClassFactory, &object), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(object, nullptr);

    object = reinterpret_cast<void*>(1);
    EXPECT_EQ(getClassObject(shellext::kToDoMenuClassId, IID_IContextMenu, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(canUnloadNow(), S_OK);
}

TEST_F(Server, StaysLoadedWhileAnObjectALockOrAFactoryReferenceLives) {
    EXPECT_EQ(canUnloadNow(), S_OK);
    ComPtr<IClassFactory> factory = Factory();
    ASSERT_TRUE(factory);
    EXPECT_EQ(canUnloadNow(), S_FALSE) << "factory reference";

    ComPtr<IContextMenu> menu;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_PPV_ARGS(&menu)), S_OK);
    ComPtr<IShellExtInit> init;
    EXPECT_EQ(menu.As(&init), S_OK);
    factory.Reset();
    EXPECT_EQ(canUnloadNow(), S_FALSE) << "object";
    menu.Reset();
    EXPECT_EQ(canUnloadNow(), S_FALSE) << "object through its other interface";
    init.Reset();
    EXPECT_EQ(canUnloadNow(), S_OK);

    factory = Factory();
    ASSERT_EQ(factory->LockServer(TRUE), S_OK);
    factory.Reset();
    EXPECT_EQ(canUnloadNow(), S_FALSE) << "lock";
    factory = Factory();
    ASSERT_EQ(factory->LockServer(FALSE), S_OK);
    factory.Reset();
    EXPECT_EQ(canUnloadNow(), S_OK);
}

TEST_F(Server, AggregationIsRefusedUnlessIUnknownIsAsked) {
    ComPtr<IClassFactory> factory = Factory();
    ASSERT_TRUE(factory);
    Outer outer;
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(&outer, IID_IContextMenu, &object), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(object, nullptr);

    ComPtr<IUnknown> inner;
    ASSERT_EQ(factory->CreateInstance(&outer, IID_PPV_ARGS(&inner)), S_OK);
    factory.Reset();
    // The handler's interfaces belong to the outer object: their references are the outer one's.
    ComPtr<IContextMenu> menu;
    ASSERT_EQ(inner.As(&menu), S_OK);
    EXPECT_EQ(outer.references, 2u);
    menu.Reset();
    EXPECT_EQ(outer.references, 1u);
    EXPECT_EQ(canUnloadNow(), S_FALSE);
    inner.Reset();
    EXPECT_EQ(canUnloadNow(), S_OK);
}

}  // namespace
