#include "Accessible.h"

#include <commctrl.h>
#include <oleacc.h>

namespace wingui {

namespace {

// The interface's identifier; the static import library would resolve the name to a thunk.
const IID kAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
const IID kDispatch = {0x00020400, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kUnknown = {0x00000000, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr UINT_PTR kSubclassId = 0x7E5A;

BSTR Copy(const std::wstring& text) { return SysAllocStringLen(text.data(), static_cast<UINT>(text.size())); }

// The platform's object for the control, with the facts added.
class FactsAccessible : public IAccessible {
public:
    FactsAccessible(IAccessible* inner, const AccessibleFacts& facts) : inner(inner), facts(facts) {}
    virtual ~FactsAccessible() { inner->Release(); }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(id, kUnknown) || IsEqualIID(id, kDispatch) || IsEqualIID(id, kAccessible)) {
            *object = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        // Anything else (the enumerator of children, ...) is the platform object's.
        return inner->QueryInterface(id, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return inner->GetTypeInfoCount(count); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
        return inner->GetTypeInfo(index, locale, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID id, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override {
        return inner->GetIDsOfNames(id, names, count, locale, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID id, LCID locale, WORD flags, DISPPARAMS* parameters,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argument) override {
        return inner->Invoke(member, id, locale, flags, parameters, result, exception, argument);
    }

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override { return inner->get_accParent(parent); }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        if (!count) return E_POINTER;
        if (OwnItems()) {
            *count = facts.itemCount();
            return S_OK;
        }
        return inner->get_accChildCount(count);
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** dispatch) override {
        if (IsOwnItem(child)) {
            // An item is a simple element of the list: it has no object of its own.
            if (dispatch) *dispatch = nullptr;
            return S_FALSE;
        }
        return inner->get_accChild(child, dispatch);
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        if (!name) return E_POINTER;
        if (IsSelf(child) && facts.name) {
            *name = Copy(facts.name());
            return S_OK;
        }
        if (IsOwnItem(child) && facts.itemName) {
            *name = Copy(facts.itemName(child.lVal));
            return S_OK;
        }
        return inner->get_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        if (!value) return E_POINTER;
        if (IsSelf(child) && facts.value) {
            *value = Copy(facts.value());
            return S_OK;
        }
        return inner->get_accValue(child, value);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
        return inner->get_accDescription(child, text);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (IsSelf(child) && facts.role != 0 && role) {
            VariantInit(role);
            role->vt = VT_I4;
            role->lVal = facts.role;
            return S_OK;
        }
        if (IsOwnItem(child) && role) {
            VariantInit(role);
            role->vt = VT_I4;
            role->lVal = facts.checked ? ROLE_SYSTEM_CHECKBUTTON : ROLE_SYSTEM_LISTITEM;
            return S_OK;
        }
        return inner->get_accRole(child, role);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        if (!state) return E_POINTER;
        HRESULT result = S_OK;
        if (IsOwnItem(child)) {
            VariantInit(state);
            state->vt = VT_I4;
            state->lVal = STATE_SYSTEM_SELECTABLE;
        } else {
            result = inner->get_accState(child, state);
            if (FAILED(result) || state->vt != VT_I4) return result;
        }
        if (facts.checked && child.vt == VT_I4 && facts.checked(child.lVal)) state->lVal |= STATE_SYSTEM_CHECKED;
        return result;
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override { return inner->get_accHelp(child, help); }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        return inner->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
        return inner->get_accKeyboardShortcut(child, shortcut);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override { return inner->get_accFocus(child); }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override { return inner->get_accSelection(children); }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        return inner->get_accDefaultAction(child, action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override { return inner->accSelect(flags, child); }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
        return inner->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
        return inner->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long left, long top, VARIANT* child) override {
        return inner->accHitTest(left, top, child);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override { return inner->accDoDefaultAction(child); }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override { return inner->put_accName(child, name); }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
        return inner->put_accValue(child, value);
    }

private:
    static bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }
    // A list's items are answered here: the platform's layer does not always list them (or
    // counts the list's header window instead), and never knows what their pictures mean.
    bool OwnItems() const { return static_cast<bool>(facts.itemCount); }
    bool IsOwnItem(const VARIANT& child) const {
        return child.vt == VT_I4 && child.lVal >= 1 && OwnItems() && child.lVal <= facts.itemCount();
    }

    IAccessible* inner;
    const AccessibleFacts& facts;
    LONG references = 1;
};

LRESULT CALLBACK AccessibleSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    if (message == WM_GETOBJECT && static_cast<LONG>(lParam) == static_cast<LONG>(OBJID_CLIENT)) {
        IAccessible* platform = nullptr;
        if (SUCCEEDED(CreateStdAccessibleObject(window, OBJID_CLIENT, kAccessible, reinterpret_cast<void**>(&platform))) &&
            platform) {
            auto* wrapped = new FactsAccessible(platform, *reinterpret_cast<const AccessibleFacts*>(data));
            const LRESULT result = LresultFromObject(kAccessible, wParam, static_cast<IAccessible*>(wrapped));
            wrapped->Release();
            if (result > 0) return result;
        }
    }
    if (message == WM_NCDESTROY) RemoveWindowSubclass(window, AccessibleSubclass, kSubclassId);
    return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace

void MakeAccessible(HWND control, const AccessibleFacts* facts) {
    if (!control || !facts) return;
    SetWindowSubclass(control, AccessibleSubclass, kSubclassId, reinterpret_cast<DWORD_PTR>(facts));
}

namespace {

std::wstring ClassName(HWND window) {
    wchar_t name[32] = {};
    GetClassNameW(window, name, 32);
    return name;
}

// A label's text as a name: without the mnemonic's "&".
std::wstring LabelName(HWND label) {
    wchar_t text[512] = {};
    GetWindowTextW(label, text, 512);
    std::wstring name;
    for (const wchar_t* c = text; *c; ++c) {
        if (*c == L'&' && c[1] != L'&') continue;
        name += *c;
    }
    return name;
}

}  // namespace

AccessibleFacts& AccessibleControls::Add(HWND control) {
    facts.push_back(std::make_unique<AccessibleFacts>());
    MakeAccessible(control, facts.back().get());
    return *facts.back();
}

void AccessibleControls::Describe(HWND dialog) {
    HWND label = nullptr;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const std::wstring kind = ClassName(child);
        const LONG style = GetWindowLongW(child, GWL_STYLE);
        if (_wcsicmp(kind.c_str(), L"Static") == 0) {
            // A text (not a picture) names the control that follows it.
            const LONG type = style & SS_TYPEMASK;
            if (type != SS_BITMAP && type != SS_ICON) label = child;
            continue;
        }
        if (_wcsicmp(kind.c_str(), L"Button") == 0) {
            const LONG type = style & BS_TYPEMASK;
            if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON ||
                type == BS_3STATE || type == BS_AUTO3STATE)
                Add(child).checked = [child](long item) {
                    return item == CHILDID_SELF && SendMessageW(child, BM_GETCHECK, 0, 0) == BST_CHECKED;
                };
        } else if (_wcsicmp(kind.c_str(), L"Edit") == 0 && label) {
            Add(child).name = [label] { return LabelName(label); };
        } else if (_wcsicmp(kind.c_str(), PROGRESS_CLASSW) == 0) {
            Add(child).value = [child] {
                const int low = static_cast<int>(SendMessageW(child, PBM_GETRANGE, TRUE, 0));
                const int high = static_cast<int>(SendMessageW(child, PBM_GETRANGE, FALSE, 0));
                const int position = static_cast<int>(SendMessageW(child, PBM_GETPOS, 0, 0));
                const int percent = high > low ? MulDiv(position - low, 100, high - low) : 0;
                return std::to_wstring(percent) + L"%";
            };
        }
        label = nullptr;
    }
}

}  // namespace wingui
