#include "controls/accessible_object_win.h"

#include <new>

// Whether the user could work the control now: neither it nor a window it
// lies in is disabled (as a modal dialog disables its owner, leaving the
// controls inside enabled). A reader changes nothing the keys cannot reach.
static bool takesInput(HWND control) {
    const HWND desktop = GetDesktopWindow();
    for (HWND window = control; window && window != desktop; window = GetAncestor(window, GA_PARENT))
        if (!IsWindowEnabled(window)) return false;
    return control != nullptr;
}

// Every call comes on the control's thread: in the process through the
// window's messages, from another process through COM's calls into this
// apartment, which the message loop dispatches.
struct AccessibleObject final : IAccessible {
    LONG references = 1;
    HWND control;
    const AccessibleSource* source;

    AccessibleObject(HWND control, const AccessibleSource& source) : control(control), source(&source) {}
    virtual ~AccessibleObject() = default;

    // The child a VARIANT names: -1 when it is no child of a live control.
    LONG childOf(const VARIANT& child) const {
        if (!control || child.vt != VT_I4) return -1;
        if (child.lVal < 0 || child.lVal > source->childCount(control)) return -1;
        return child.lVal;
    }
    HRESULT failure() const { return control ? E_INVALIDARG : RPC_E_DISCONNECTED; }

    // The description of the child a VARIANT names: its number, or -1 when there is none.
    LONG describe(const VARIANT& child, AccessibleDescription& d) const {
        d = {};
        LONG which = childOf(child);
        return which >= 0 && source->describe(control, which, d) ? which : -1;
    }
    template <uint32_t C>
    HRESULT describedText(const VARIANT& child, BSTR* out, WideBuffer<C> AccessibleDescription::*field) const {
        if (!out) return E_POINTER;
        *out = nullptr;
        AccessibleDescription d;
        return describe(child, d) < 0 ? failure() : text(d.*field, out);
    }

    template <uint32_t C>
    static HRESULT text(const WideBuffer<C>& from, BSTR* out) { return textOf(viewOf(from), out); }
    static HRESULT textOf(Utf16View from, BSTR* out) {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (from.length == 0) return S_FALSE;
        *out = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(from.units), from.length);
        return *out ? S_OK : E_OUTOFMEMORY;
    }
    static void noChild(VARIANT* out) { VariantInit(out); }
    static void childVariant(VARIANT* out, LONG child) {
        VariantInit(out);
        out->vt = VT_I4;
        out->lVal = child;
    }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override {
        if (!out) return E_POINTER;
        if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDispatch) || IsEqualIID(id, kAccessibleInterfaceId)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(InterlockedIncrement(&references)); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG left = InterlockedDecrement(&references);
        if (left == 0) delete this;
        return ULONG(left);
    }

    // IDispatch: readers use the interface's methods, not late binding.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        if (!parent) return E_POINTER;
        *parent = nullptr;
        if (!control) return RPC_E_DISCONNECTED;
        return AccessibleObjectFromWindow(control, DWORD(OBJID_WINDOW), IID_IDispatch, reinterpret_cast<void**>(parent));
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        if (!control) return RPC_E_DISCONNECTED;
        *count = source->childCount(control);
        return S_OK;
    }
    // The children are simple elements, described by this object.
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        return childOf(child) < 0 ? failure() : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* out) override {
        return describedText(child, out, &AccessibleDescription::name);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* out) override {
        return describedText(child, out, &AccessibleDescription::value);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* out) override { return noText(child, out); }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* out) override { return noText(child, out); }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* out) override { return noText(child, out); }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, LONG* topic) override {
        if (file) *file = nullptr;
        if (topic) *topic = 0;
        return control ? S_FALSE : RPC_E_DISCONNECTED;
    }
    HRESULT noText(const VARIANT& child, BSTR* out) const {
        if (!out) return E_POINTER;
        *out = nullptr;
        return childOf(child) < 0 ? failure() : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* out) override {
        if (!out) return E_POINTER;
        VariantInit(out);
        AccessibleDescription d;
        if (describe(child, d) < 0) return failure();
        out->vt = VT_I4;
        out->lVal = d.role;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* out) override {
        if (!out) return E_POINTER;
        VariantInit(out);
        AccessibleDescription d;
        LONG which = describe(child, d);
        if (which < 0) return failure();
        LONG state = d.state;
        if (which == CHILDID_SELF) state |= STATE_SYSTEM_FOCUSABLE;
        if (GetFocus() == control && source->focusedChild(control) == which) state |= STATE_SYSTEM_FOCUSED;
        if (!IsWindowVisible(control)) state |= STATE_SYSTEM_INVISIBLE;
        if (!IsWindowEnabled(control)) state |= STATE_SYSTEM_UNAVAILABLE;
        out->vt = VT_I4;
        out->lVal = state;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override {
        if (!out) return E_POINTER;
        noChild(out);
        if (!control) return RPC_E_DISCONNECTED;
        if (GetFocus() != control) return S_FALSE;
        childVariant(out, source->focusedChild(control));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override {
        if (!out) return E_POINTER;
        noChild(out);
        return control ? S_FALSE : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* out) override {
        return describedText(child, out, &AccessibleDescription::defaultAction);
    }
    // A child taking the focus or the selection becomes the one the keys work on.
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override {
        LONG which = childOf(child);
        if (which < 0) return failure();
        const bool selectsChild = which != CHILDID_SELF && (flags & SELFLAG_TAKESELECTION);
        if (!(flags & SELFLAG_TAKEFOCUS) && !selectsChild) return E_NOTIMPL;
        if (!takesInput(control)) return E_ACCESSDENIED;
        if (which != CHILDID_SELF) {
            if (!source->selectChild) return E_NOTIMPL;
            HRESULT chosen = source->selectChild(control, which);
            if (FAILED(chosen)) return chosen;
        }
        if ((flags & SELFLAG_TAKEFOCUS) && control) SetFocus(control);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* x, LONG* y, LONG* width, LONG* height, VARIANT child) override {
        if (!x || !y || !width || !height) return E_POINTER;
        *x = *y = *width = *height = 0;
        AccessibleDescription d;
        if (describe(child, d) < 0) return failure();
        *x = d.bounds.left;
        *y = d.bounds.top;
        *width = d.bounds.right - d.bounds.left;
        *height = d.bounds.bottom - d.bounds.top;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* out) override {
        if (!out) return E_POINTER;
        noChild(out);
        LONG from = childOf(start);
        if (from < 0) return failure();
        LONG count = source->childCount(control);
        LONG to = 0;
        if (from == CHILDID_SELF) {
            if (direction == NAVDIR_FIRSTCHILD) to = count > 0 ? 1 : 0;
            else if (direction == NAVDIR_LASTCHILD) to = count;
            else return S_FALSE;  // among the window's siblings: the window object's answer
        } else if (direction == NAVDIR_NEXT || direction == NAVDIR_DOWN || direction == NAVDIR_RIGHT) {
            to = from < count ? from + 1 : 0;
        } else if (direction == NAVDIR_PREVIOUS || direction == NAVDIR_UP || direction == NAVDIR_LEFT) {
            to = from - 1;
        }
        if (to <= 0) return S_FALSE;
        childVariant(out, to);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* out) override {
        if (!out) return E_POINTER;
        noChild(out);
        if (!control) return RPC_E_DISCONNECTED;
        POINT point = {x, y};
        RECT client;
        GetClientRect(control, &client);
        ScreenToClient(control, &point);
        if (!PtInRect(&client, point)) return S_FALSE;
        childVariant(out, source->childAt(control, point));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        LONG which = childOf(child);
        if (which < 0) return failure();
        if (!source->doDefaultAction) return DISP_E_MEMBERNOTFOUND;
        return takesInput(control) ? source->doDefaultAction(control, which) : E_ACCESSDENIED;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return control ? E_NOTIMPL : RPC_E_DISCONNECTED; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
        LONG which = childOf(child);
        if (which < 0) return failure();
        if (!source->setValue) return E_NOTIMPL;
        if (!takesInput(control)) return E_ACCESSDENIED;
        Utf16View text = {reinterpret_cast<const char16_t*>(value), value ? uint32_t(SysStringLen(value)) : 0};
        return source->setValue(control, which, text);
    }
};

AccessibleObject* createAccessibleObject(HWND control, const AccessibleSource& source) {
    return new (std::nothrow) AccessibleObject(control, source);
}

LRESULT answerGetObject(AccessibleObject* object, HWND control, WPARAM wParam, LPARAM lParam) {
    if (object && LONG(lParam) == OBJID_CLIENT)
        return LresultFromObject(kAccessibleInterfaceId, wParam, static_cast<IAccessible*>(object));
    return DefWindowProcW(control, WM_GETOBJECT, wParam, lParam);
}

// The readers may hold the object longer: it stays, answering "disconnected".
void releaseAccessibleObject(AccessibleObject*& object) {
    if (!object) return;
    object->control = nullptr;
    object->Release();
    object = nullptr;
}
