#pragma once
#include <string>
#include <vector>

#include "transfer/writer_discovery.h"

// Stands in for the writer combo box and the transfer controls beside it.
struct FakeWriterListView {
    std::vector<std::u16string> items;
    int32_t selected = -1;
    bool comboEnabled = false;
    bool othersEnabled = false;
    int controlUpdates = 0;

    WriterListView view() {
        return {this,
                [](void* c) { return static_cast<FakeWriterListView*>(c)->selected; },
                [](void* c, int32_t index) {
                    auto* self = static_cast<FakeWriterListView*>(c);
                    self->selected = index < int32_t(self->items.size()) ? index : -1;
                },
                [](void* c, uint32_t index) {
                    auto* self = static_cast<FakeWriterListView*>(c);
                    self->items.erase(self->items.begin() + index);
                    // a list box forgets a selection whose item went away
                    if (self->selected == int32_t(index)) self->selected = -1;
                    else if (self->selected > int32_t(index)) --self->selected;
                },
                [](void* c, const char16_t* label) { static_cast<FakeWriterListView*>(c)->items.push_back(label); },
                [](void* c, bool combo, bool others) {
                    auto* self = static_cast<FakeWriterListView*>(c);
                    self->comboEnabled = combo;
                    self->othersEnabled = others;
                    ++self->controlUpdates;
                }};
    }
};
