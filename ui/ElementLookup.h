#pragma once

#include <algorithm>

// Element lists hold std::unique_ptr<T> with an `id`; ids are unique within
// one list, so the first match is the element.

template <class List>
auto FindElementIterator(List& list, int id)
{
    return std::find_if(list.begin(), list.end(),
                        [id](const auto& element) { return element->id == id; });
}

template <class List>
auto FindElement(const List& list, int id) -> decltype(list.begin()->get())
{
    const auto it = FindElementIterator(list, id);
    return it == list.end() ? nullptr : it->get();
}
