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

// A box's object as a screen reader receives it: the standard one in every respect but the name.
// The reader owns it by its reference count, and may keep it after the box is gone; it then
// answers the name as the standard object does.
class NamedBox final : public IAccessible, public IOleWindow {
public:
    NamedBox(HWND box, std::wstring name, StandardObject standard)
        : box_(box), name_(std::move(name)), standard_(std::move(standard))
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
        if (child.vt != VT_I4 || child.lVal != CHILDID_SELF || !IsWindow(box_))
            return standard_->get_accName(child, name);
        if (name == nullptr)
            return E_POINTER;
        *name = SysAllocString(name_.c_str());
        return *name == nullptr ? E_OUTOFMEMORY : S_OK;
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
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override
    {
        return standard_->get_accDescription(child, text);
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

    const HWND box_;
    const std::wstring name_;
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
    std::wstring name = Utf16(control.accessibleName);
    // A COM object is owned by its reference count, which Release ends.
    const std::unique_ptr<NamedBox, ComRelease> named(
        new (std::nothrow) NamedBox(box, std::move(name), std::move(standard)));
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

} // namespace

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
