// Control arrays: controls that share a name and are told apart by a member number (Index).
// Member numbers need not be consecutive (cmdLeftRight has 0 and 2 only).
#pragma once

#include <QPointer>
#include <QWidget>
#include <map>
#include <vector>

namespace vb {

template <class T>
class ControlArray {
public:
    // Adds (or replaces) member `index`. Controls with an index() of their own (the buttons)
    // are told their member number, which their MouseDown/MouseUp signals carry.
    void add(int index, T* control) {
        if constexpr (requires(T * c) { c->setIndex(index); }) {
            if (control) control->setIndex(index);
        }
        m_members[index] = control;
    }

    // The member with that number, or nullptr when there is none (or it was destroyed).
    T* item(int index) const {
        const auto it = m_members.find(index);
        return it == m_members.end() ? nullptr : it->second.data();
    }
    T* operator[](int index) const { return item(index); }
    bool contains(int index) const { return item(index) != nullptr; }

    // Member numbers of the living members, ascending.
    std::vector<int> indices() const {
        std::vector<int> result;
        for (const auto& [index, control] : m_members)
            if (control) result.push_back(index);
        return result;
    }
    // The living members in ascending member order.
    std::vector<T*> members() const {
        std::vector<T*> result;
        for (const auto& [index, control] : m_members)
            if (control) result.push_back(control.data());
        return result;
    }
    int count() const { return int(indices().size()); }
    int lowerBound() const { return indices().empty() ? 0 : indices().front(); }
    int upperBound() const { return indices().empty() ? -1 : indices().back(); }

private:
    std::map<int, QPointer<T>> m_members;
};

}  // namespace vb
