#include "screen_reader.h"

#include "form1.h"

#include <commctrl.h>
#include <oleacc.h>

#include <memory>
#include <new>
#include <string>
#include <utility>

namespace {

struct ComRelease {
    template <typename Object> void operator()(Object* object) const { object->Release(); }
};
using StandardObject = std::unique_ptr<IAccessible, ComRelease>;

HRESULT Answer(const std::wstring& text, BSTR* answer)
{
    if (answer == nullptr)
        return E_POINTER;
    *answer = SysAllocString(text.c_str());
    return *answer == nullptr ? E_OUTOFMEMORY : S_OK;
}

// A box's object as a screen reader receives it: the standard one in every respect but the name
// and the description. The reader owns it by its reference count, and may keep it after the box is
// gone; it then answers them as the standard object does.
class NamedBox final : public IAccessible, public IOleWindow {
public:
    NamedBox(HWND box, std::wstring name, std::wstring description, StandardObject standard)
        : box_(box), name_(std::move(name)), description_(std::move(description)),
          standard_(std::move(standard))
    {
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override
    {
        if (object == nullptr)
            return E_POINTER;
        *object = nullptr;
        // Every interface of the object is answered here: one passed on to the standard object
        // would hand the reader an object without the name.
        if (id == IID_IUnknown || id == IID_IDispatch || id == IID_IAccessible)
            *object = static_cast<IAccessible*>(this);
        else if (id == IID_IOleWindow)
            *object = static_cast<IOleWindow*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0)
            delete this;
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override
    {
        if (!IsSelf(child))
            return standard_->get_accName(child, name);
        return Answer(name_, name);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override
    {
        if (!IsSelf(child) || description_.empty())
            return standard_->get_accDescription(child, text);
        return Answer(description_, text);
    }

    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override
    {
        if (window == nullptr)
            return E_POINTER;
        *window = box_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // The rest is the standard object's.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        return standard_->GetTypeInfoCount(count);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override
    {
        return standard_->GetTypeInfo(index, locale, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID id, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override
    {
        return standard_->GetIDsOfNames(id, names, count, locale, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID id, LCID locale, WORD flags,
                                     DISPPARAMS* parameters, VARIANT* result, EXCEPINFO* exception,
                                     UINT* wrong) override
    {
        return standard_->Invoke(member, id, locale, flags, parameters, result, exception, wrong);
    }
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override
    {
        return standard_->get_accParent(parent);
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override
    {
        return standard_->get_accChildCount(count);
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override
    {
        return standard_->get_accChild(child, object);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override
    {
        return standard_->get_accValue(child, value);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override
    {
        return standard_->get_accRole(child, role);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override
    {
        return standard_->get_accState(child, state);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override
    {
        return standard_->get_accHelp(child, help);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override
    {
        return standard_->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override
    {
        return standard_->get_accKeyboardShortcut(child, shortcut);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override
    {
        return standard_->get_accFocus(child);
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override
    {
        return standard_->get_accSelection(children);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override
    {
        return standard_->get_accDefaultAction(child, action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override
    {
        return standard_->accSelect(flags, child);
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT child) override
    {
        return standard_->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override
    {
        return standard_->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long left, long top, VARIANT* child) override
    {
        return standard_->accHitTest(left, top, child);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override
    {
        return standard_->accDoDefaultAction(child);
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override
    {
        return standard_->put_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override
    {
        return standard_->put_accValue(child, value);
    }

private:
    ~NamedBox() = default;

    bool IsSelf(const VARIANT& child) const
    {
        return child.vt == VT_I4 && child.lVal == CHILDID_SELF && IsWindow(box_);
    }

    const HWND box_;
    const std::wstring name_;
    const std::wstring description_;
    const StandardObject standard_;
    LONG references_ = 1;
};

// A new object for each request, which the reader then holds alone.
LRESULT AnswerWithName(HWND box, WPARAM flags, const design::Control& control)
{
    IAccessible* created = nullptr;
    if (FAILED(CreateStdAccessibleObject(box, OBJID_CLIENT, IID_IAccessible,
                                         reinterpret_cast<void**>(&created))))
        return 0;
    StandardObject standard(created);
    // A COM object is owned by its reference count, which Release ends.
    const std::unique_ptr<NamedBox, ComRelease> named(
        new (std::nothrow) NamedBox(box, Utf16(control.accessibleName),
                                    Utf16(control.accessibleDescription), std::move(standard)));
    if (!named)
        return 0;
    const LRESULT answer =
        LresultFromObject(IID_IAccessible, flags, static_cast<IAccessible*>(named.get()));
    return SUCCEEDED(answer) ? answer : 0;
}

LRESULT CALLBACK AnswerScreenReader(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                    DWORD_PTR control)
{
    // The object's id is a 32-bit value, whether or not a 64-bit lParam carries it sign-extended.
    if (message == WM_GETOBJECT && static_cast<LONG>(lParam) == OBJID_CLIENT) {
        try {
            if (const LRESULT answer =
                    AnswerWithName(box, wParam, *reinterpret_cast<const design::Control*>(control)))
                return answer;
        } catch (const std::bad_alloc&) {
            // Without memory for the name, the standard object answers.
        }
    } else if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(box, AnswerScreenReader, 0);
    }
    return DefSubclassProc(box, message, wParam, lParam);
}

// UI Automation's LiveSetting property and its Polite value, and the event of a live region's
// change, declared only in headers newer than the oldest Windows the program is for.
constexpr GUID kLiveSetting = {
    0xc12bcd8e, 0x2a8e, 0x4950, {0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb}};
constexpr long kPolite = 1;
constexpr DWORD kLiveRegionChanged = 0x8019;

// Windows' Dynamic Annotation, which Windows XP has too; null where it is missing, as under Wine.
std::unique_ptr<IAccPropServices, ComRelease> Annotations()
{
    IAccPropServices* services = nullptr;
    if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IAccPropServices, reinterpret_cast<void**>(&services))))
        services = nullptr;
    return std::unique_ptr<IAccPropServices, ComRelease>(services);
}

// The annotation outlives the box in the system's table unless it is taken back.
LRESULT CALLBACK ForgetLiveRegion(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                  DWORD_PTR)
{
    if (message == WM_NCDESTROY) {
        if (const auto services = Annotations())
            services->ClearHwndProps(box, OBJID_CLIENT, CHILDID_SELF, &kLiveSetting, 1);
        RemoveWindowSubclass(box, ForgetLiveRegion, 0);
    }
    return DefSubclassProc(box, message, wParam, lParam);
}

struct BstrFree {
    void operator()(BSTR text) const { SysFreeString(text); }
};
using Bstr = std::unique_ptr<OLECHAR, BstrFree>;

// The text as a UI Automation notification, on Windows 10 1709 and later: a screen reader says it
// when it can, the newest of several.
void Notify(HWND box, const std::wstring& text)
{
    // The provider is an IRawElementProviderSimple, which the program only passes on.
    using HostProvider = HRESULT(WINAPI*)(HWND, IUnknown**);
    using RaiseNotification = HRESULT(WINAPI*)(IUnknown*, int, int, BSTR, BSTR);
    const auto hostProvider =
        As<HostProvider>(SystemFunction(L"uiautomationcore.dll", "UiaHostProviderFromHwnd"));
    const auto raise =
        As<RaiseNotification>(SystemFunction(L"uiautomationcore.dll", "UiaRaiseNotificationEvent"));
    IUnknown* created = nullptr;
    if (hostProvider == nullptr || raise == nullptr || FAILED(hostProvider(box, &created)))
        return;
    const std::unique_ptr<IUnknown, ComRelease> provider(created);
    constexpr int kActionCompleted = 2, kMostRecent = 3;
    const Bstr said(SysAllocString(text.c_str())), activity(SysAllocString(L"Dravix.Report"));
    if (said && activity)
        raise(provider.get(), kActionCompleted, kMostRecent, said.get(), activity.get());
}

} // namespace

void MakeLiveRegion(HWND box)
{
    const auto services = Annotations();
    if (!services)
        return;
    VARIANT polite;
    VariantInit(&polite);
    polite.vt = VT_I4;
    polite.lVal = kPolite;
    if (SUCCEEDED(services->SetHwndProp(box, OBJID_CLIENT, CHILDID_SELF, kLiveSetting, polite)))
        SetWindowSubclass(box, ForgetLiveRegion, 0, 0);
}

void AnnounceChange(HWND box, const std::wstring& text)
{
    NotifyWinEvent(kLiveRegionChanged, box, OBJID_CLIENT, CHILDID_SELF);
    Notify(box, text);
}

void NameForScreenReaders(HWND box, const design::Control& control)
{
    SetWindowSubclass(box, AnswerScreenReader, 0, reinterpret_cast<DWORD_PTR>(&control));
}

ComApartment::ComApartment()
    : initialised_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
{
}

ComApartment::~ComApartment()
{
    if (initialised_)
        CoUninitialize();
}
