#include "browser/CImpIDispatch.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

// IDispatchEx, which script engines try first.
const IID kDispatchEx = {0xa6ef9860, 0xc720, 0x11d0, {0x93, 0x37, 0x00, 0xa0, 0xc9, 0x0d, 0xca, 0xa9}};

// A string VARIANT owned by the test.
struct Arg {
    VARIANT v;
    Arg() { VariantInit(&v); }
    ~Arg() { VariantClear(&v); }
};

VARIANT Str(const wchar_t* text)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = text ? SysAllocString(text) : nullptr;
    return v;
}

VARIANT Int(LONG value)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}

struct Call {
    DISPID id;
    std::vector<std::wstring> args;
};

class ScriptBridge : public ::testing::Test {
protected:
    void SetUp() override
    {
        bridge.AddName(5, L"open");
        bridge.AddName(9, L"close");
        bridge.AddName(12, L"Open");
        bridge.AddName(20, L"open");  // a later duplicate never wins
        bridge.dispatcher = [this](DISPID id, const std::vector<std::wstring>& args) {
            calls.push_back({id, args});
            return std::wstring(L"done:") + std::to_wstring(args.size());
        };
    }

    // Calls with the arguments in script order; rgvarg gets them reversed.
    HRESULT CallScript(DISPID id, WORD flags, std::vector<VARIANT> scriptOrder, VARIANT* result)
    {
        std::vector<VARIANT> reversed(scriptOrder.rbegin(), scriptOrder.rend());
        DISPPARAMS params = {reversed.empty() ? nullptr : reversed.data(), nullptr,
                             static_cast<UINT>(reversed.size()), 0};
        const HRESULT hr = bridge.Invoke(id, IID_NULL, 0, flags, &params, result, nullptr, nullptr);
        for (VARIANT& v : reversed)
            VariantClear(&v);
        return hr;
    }

    CImpIDispatch bridge;
    std::vector<Call> calls;
};

TEST(ScriptBridgeEmpty, EveryNameIsUnknownAndCallsChangeNothing)
{
    CImpIDispatch bridge;
    LPOLESTR names[] = {const_cast<LPOLESTR>(L"open"), const_cast<LPOLESTR>(L"")};
    DISPID ids[2] = {42, 42};
    EXPECT_EQ(bridge.GetIDsOfNames(IID_NULL, names, 2, 0, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids[0], DISPID_UNKNOWN);
    EXPECT_EQ(ids[1], DISPID_UNKNOWN);

    // A name but no dispatcher: the call is a no-op and the result untouched.
    bridge.AddName(1, L"open");
    Arg result;
    result.v.vt = VT_I4;
    result.v.lVal = 77;
    DISPPARAMS none = {};
    EXPECT_EQ(bridge.Invoke(1, IID_NULL, 0, DISPATCH_METHOD | DISPATCH_PROPERTYGET, &none, &result.v, nullptr,
                            nullptr),
              S_OK);
    EXPECT_EQ(result.v.vt, VT_I4);
    EXPECT_EQ(result.v.lVal, 77);
}

TEST_F(ScriptBridge, LooksNamesUpWholeAndCaseSensitive)
{
    LPOLESTR names[] = {const_cast<LPOLESTR>(L"close"), const_cast<LPOLESTR>(L"ope"),
                        const_cast<LPOLESTR>(L"Open"), const_cast<LPOLESTR>(L"open"),
                        const_cast<LPOLESTR>(L"openx"), const_cast<LPOLESTR>(L"OPEN")};
    DISPID ids[6] = {};
    EXPECT_EQ(bridge.GetIDsOfNames(IID_NULL, names, 6, 0, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids[0], 9);
    EXPECT_EQ(ids[1], DISPID_UNKNOWN);
    EXPECT_EQ(ids[2], 12);
    EXPECT_EQ(ids[3], 5);  // lowest id of the two "open" entries
    EXPECT_EQ(ids[4], DISPID_UNKNOWN);
    EXPECT_EQ(ids[5], DISPID_UNKNOWN);

    LPOLESTR known[] = {const_cast<LPOLESTR>(L"Open"), const_cast<LPOLESTR>(L"close")};
    DISPID knownIds[2] = {};
    EXPECT_EQ(bridge.GetIDsOfNames(IID_NULL, known, 2, 0, knownIds), S_OK);
    EXPECT_EQ(knownIds[0], 12);
    EXPECT_EQ(knownIds[1], 9);
}

TEST_F(ScriptBridge, PropertyReadIsTrueWithoutCallingTheDispatcher)
{
    Arg result;
    EXPECT_EQ(CallScript(9, DISPATCH_PROPERTYGET, {}, &result.v), S_OK);
    EXPECT_EQ(result.v.vt, VT_BOOL);
    EXPECT_EQ(result.v.boolVal, 1);
    EXPECT_TRUE(calls.empty());

    // Unknown ids do nothing at all.
    Arg untouched;
    untouched.v.vt = VT_I4;
    untouched.v.lVal = 3;
    EXPECT_EQ(CallScript(99, DISPATCH_METHOD | DISPATCH_PROPERTYGET, {Str(L"x")}, &untouched.v), S_OK);
    EXPECT_EQ(untouched.v.vt, VT_I4);
    EXPECT_TRUE(calls.empty());
}

TEST_F(ScriptBridge, CallPassesArgumentsInScriptOrderAndReturnsText)
{
    Arg result;
    EXPECT_EQ(CallScript(5, DISPATCH_METHOD | DISPATCH_PROPERTYGET, {Str(L"a"), Str(L"b"), Str(L"")}, &result.v),
              S_OK);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].id, 5);
    EXPECT_EQ(calls[0].args, (std::vector<std::wstring>{L"a", L"b", L""}));
    // The call's text replaces the property answer.
    ASSERT_EQ(result.v.vt, VT_BSTR);
    EXPECT_STREQ(result.v.bstrVal, L"done:3");

    // Without a result slot the call still happens.
    EXPECT_EQ(CallScript(9, DISPATCH_METHOD, {Str(L"only")}, nullptr), S_OK);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].args, (std::vector<std::wstring>{L"only"}));
}

TEST_F(ScriptBridge, NonStringArgumentsAreConvertedOrLeftOut)
{
    VARIANT real;
    VariantInit(&real);
    real.vt = VT_R8;
    real.dblVal = 1.5;
    VARIANT nothing;
    VariantInit(&nothing);
    nothing.vt = VT_NULL;
    VARIANT noObject;
    VariantInit(&noObject);
    noObject.vt = VT_DISPATCH;
    noObject.pdispVal = nullptr;
    BSTR referenced = SysAllocString(L"byref");
    VARIANT byRef;
    VariantInit(&byRef);
    byRef.vt = VT_BYREF | VT_BSTR;
    byRef.pbstrVal = &referenced;

    // 0x1234 would be a wild pointer if read as a string.
    EXPECT_EQ(CallScript(5, DISPATCH_METHOD,
                         {Int(0x1234), Str(nullptr), real, nothing, noObject, byRef, Str(L"z")}, nullptr),
              S_OK);
    SysFreeString(referenced);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].args, (std::vector<std::wstring>{L"4660", L"1.5", L"byref", L"z"}));
}

TEST_F(ScriptBridge, FailingDispatcherStillAnswersOk)
{
    bridge.dispatcher = [](DISPID, const std::vector<std::wstring>&) -> std::wstring {
        throw std::runtime_error("page asked for something impossible");
    };
    Arg result;
    EXPECT_EQ(CallScript(5, DISPATCH_METHOD, {Str(L"a")}, &result.v), S_OK);
    EXPECT_EQ(result.v.vt, VT_EMPTY);
}

TEST(ScriptBridgeObject, InterfacesAndCountsNeverFreeIt)
{
    CImpIDispatch bridge;
    void* out = nullptr;
    EXPECT_EQ(bridge.QueryInterface(IID_IDispatch, &out), S_OK);
    EXPECT_EQ(out, static_cast<IDispatch*>(&bridge));
    out = nullptr;
    EXPECT_EQ(bridge.QueryInterface(IID_IUnknown, &out), S_OK);
    EXPECT_EQ(out, static_cast<IDispatch*>(&bridge));
    // Neither lookup counted a reference.
    EXPECT_EQ(bridge.AddRef(), 1u);
    EXPECT_EQ(bridge.AddRef(), 2u);
    EXPECT_EQ(bridge.Release(), 1u);
    EXPECT_EQ(bridge.Release(), 0u);

    out = &bridge;
    EXPECT_EQ(bridge.QueryInterface(kDispatchEx, &out), E_FAIL);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(bridge.QueryInterface(IID_IDispatch, nullptr), E_POINTER);

    UINT count = 9;
    EXPECT_EQ(bridge.GetTypeInfoCount(&count), E_FAIL);
    EXPECT_EQ(count, 9u);
    ITypeInfo* info = nullptr;
    EXPECT_EQ(bridge.GetTypeInfo(0, 0, &info), E_FAIL);
    EXPECT_EQ(info, nullptr);
}

}  // namespace
