#pragma once
// A control's accessible object read as a screen reader reads it, through
// oleacc, and the events raised for it.
#include <windows.h>

#include <oleacc.h>

#include <string>
#include <utility>
#include <vector>

#include "controls/accessible_object_win.h"

struct AccessibleReader {
    IAccessible* object = nullptr;  // null when the control gives none

    explicit AccessibleReader(HWND control)
        : comStarted_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
        AccessibleObjectFromWindow(control, DWORD(OBJID_CLIENT), kAccessibleInterfaceId,
                                   reinterpret_cast<void**>(&object));
    }
    ~AccessibleReader() {
        if (object) object->Release();
        if (comStarted_) CoUninitialize();
    }
    AccessibleReader(const AccessibleReader&) = delete;
    AccessibleReader& operator=(const AccessibleReader&) = delete;

    static VARIANT child(LONG id) {
        VARIANT v;
        VariantInit(&v);
        v.vt = VT_I4;
        v.lVal = id;
        return v;
    }
    // Text properties read "-", numbers -1, when the object gives none.
    std::u16string name(LONG id = CHILDID_SELF) const { return text(&IAccessible::get_accName, id); }
    std::u16string value(LONG id = CHILDID_SELF) const { return text(&IAccessible::get_accValue, id); }
    LONG role(LONG id = CHILDID_SELF) const { return number(&IAccessible::get_accRole, id); }
    LONG state(LONG id = CHILDID_SELF) const { return number(&IAccessible::get_accState, id); }
    LONG children() const {
        LONG count = -1;
        object->get_accChildCount(&count);
        return count;
    }
    LONG focus() const {
        VARIANT v;
        VariantInit(&v);
        object->get_accFocus(&v);
        return v.vt == VT_I4 ? v.lVal : -1;
    }
    RECT place(LONG id) const {
        LONG x = 0, y = 0, w = 0, h = 0;
        object->accLocation(&x, &y, &w, &h, child(id));
        return RECT{x, y, x + w, y + h};
    }
    // The child under a client point of the control.
    LONG at(HWND control, int x, int y) const {
        POINT p = {x, y};
        ClientToScreen(control, &p);
        VARIANT v;
        VariantInit(&v);
        object->accHitTest(p.x, p.y, &v);
        return v.vt == VT_I4 ? v.lVal : -1;
    }
    // A value typed through the reader.
    HRESULT type(const wchar_t* typed, LONG id = CHILDID_SELF) const {
        BSTR text = SysAllocString(typed);
        HRESULT result = object->put_accValue(child(id), text);
        SysFreeString(text);
        return result;
    }

private:
    std::u16string text(HRESULT (STDMETHODCALLTYPE IAccessible::*property)(VARIANT, BSTR*), LONG id) const {
        BSTR text = nullptr;
        if ((object->*property)(child(id), &text) != S_OK || !text) return u"-";
        std::u16string copy(reinterpret_cast<const char16_t*>(text), SysStringLen(text));
        SysFreeString(text);
        return copy;
    }
    LONG number(HRESULT (STDMETHODCALLTYPE IAccessible::*property)(VARIANT, VARIANT*), LONG id) const {
        VARIANT v;
        VariantInit(&v);
        if ((object->*property)(child(id), &v) != S_OK || v.vt != VT_I4) return -1;
        return v.lVal;
    }
    bool comStarted_;
};

// The events raised for one control's client object while this lives, as
// (event, child) in order; they arrive with the messages, so pump first.
struct RaisedEvents {
    using List = std::vector<std::pair<DWORD, LONG>>;
    List list;

    RaisedEvents(HWND control, DWORD first, DWORD last) : control_(control) {
        watching() = this;
        hook_ = SetWinEventHook(first, last, nullptr, record, GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    }
    ~RaisedEvents() {
        UnhookWinEvent(hook_);
        watching() = nullptr;
    }
    RaisedEvents(const RaisedEvents&) = delete;
    RaisedEvents& operator=(const RaisedEvents&) = delete;

private:
    static RaisedEvents*& watching() {
        static RaisedEvents* current = nullptr;
        return current;
    }
    static void CALLBACK record(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD) {
        RaisedEvents* self = watching();
        if (self && window == self->control_ && object == OBJID_CLIENT) self->list.emplace_back(event, child);
    }
    HWND control_;
    HWINEVENTHOOK hook_;
};
