#pragma once

#include "engine/base/Ref.h"

#include <algorithm>
#include <cstddef>
#include <type_traits>
#include <utility>
#include <vector>

namespace engine {

// A list of Ref objects that owns one reference to each element: inserting
// retains, removing (or destroying the list) releases.
template <class T> class Vector;

template <class T> class Vector<T*> {
public:
    using iterator = typename std::vector<T*>::iterator;
    using const_iterator = typename std::vector<T*>::const_iterator;
    using reverse_iterator = typename std::vector<T*>::reverse_iterator;
    using const_reverse_iterator = typename std::vector<T*>::const_reverse_iterator;

    Vector() = default;
    explicit Vector(std::size_t capacity) { data_.reserve(capacity); }
    Vector(std::initializer_list<T*> list) {
        for (T* object : list) {
            pushBack(object);
        }
    }
    Vector(const Vector& other) : data_(other.data_) { retainAll(); }
    Vector(Vector&& other) noexcept : data_(std::move(other.data_)) { other.data_.clear(); }
    ~Vector() { clear(); }

    Vector& operator=(const Vector& other) {
        if (this != &other) {
            Vector copy(other);
            swap(copy);
        }
        return *this;
    }
    Vector& operator=(Vector&& other) noexcept {
        if (this != &other) {
            clear();
            data_ = std::move(other.data_);
            other.data_.clear();
        }
        return *this;
    }

    void swap(Vector& other) noexcept { data_.swap(other.data_); }

    iterator begin() { return data_.begin(); }
    const_iterator begin() const { return data_.begin(); }
    iterator end() { return data_.end(); }
    const_iterator end() const { return data_.end(); }
    reverse_iterator rbegin() { return data_.rbegin(); }
    const_reverse_iterator rbegin() const { return data_.rbegin(); }
    reverse_iterator rend() { return data_.rend(); }
    const_reverse_iterator rend() const { return data_.rend(); }

    std::size_t size() const { return data_.size(); }
    bool empty() const { return data_.empty(); }
    std::size_t capacity() const { return data_.capacity(); }
    void reserve(std::size_t n) { data_.reserve(n); }

    T* at(std::size_t index) const { return data_.at(index); }
    T* front() const { return data_.front(); }
    T* back() const { return data_.back(); }

    // The index of the first occurrence, or -1.
    long getIndex(T* object) const {
        const auto it = std::find(data_.begin(), data_.end(), object);
        return it == data_.end() ? -1 : static_cast<long>(it - data_.begin());
    }
    const_iterator find(T* object) const { return std::find(data_.begin(), data_.end(), object); }
    iterator find(T* object) { return std::find(data_.begin(), data_.end(), object); }
    bool contains(T* object) const { return find(object) != data_.end(); }

    void pushBack(T* object) {
        // Checked here rather than on the class so that a member of an
        // incomplete type can be declared.
        static_assert(std::is_convertible_v<T*, Ref*>, "Vector holds Ref-derived objects only");
        if (object) {
            object->retain();
            data_.push_back(object);
        }
    }
    void pushBack(const Vector& other) {
        for (T* object : other) {
            pushBack(object);
        }
    }
    void insert(std::size_t index, T* object) {
        if (object) {
            object->retain();
            data_.insert(data_.begin() + static_cast<std::ptrdiff_t>(std::min(index, data_.size())), object);
        }
    }
    void popBack() {
        if (!data_.empty()) {
            T* last = data_.back();
            data_.pop_back();
            last->release();
        }
    }

    // Removes the first occurrence (or every occurrence) of an object.
    void eraseObject(T* object, bool removeAll = false) {
        for (auto it = data_.begin(); it != data_.end();) {
            if (*it == object) {
                it = data_.erase(it);
                object->release();
                if (!removeAll) {
                    return;
                }
            } else {
                ++it;
            }
        }
    }
    iterator erase(iterator position) {
        T* object = *position;
        auto next = data_.erase(position);
        object->release();
        return next;
    }
    iterator erase(std::size_t index) { return erase(data_.begin() + static_cast<std::ptrdiff_t>(index)); }

    void replace(std::size_t index, T* object) {
        if (!object || index >= data_.size()) {
            return;
        }
        object->retain();
        T* old = data_[index];
        data_[index] = object;
        old->release();
    }

    void clear() {
        // Detach first: releasing may destroy objects that look at this list.
        std::vector<T*> old;
        old.swap(data_);
        for (T* object : old) {
            object->release();
        }
    }

    void reverse() { std::reverse(data_.begin(), data_.end()); }

    // Direct access for stable sorting by the scene graph; the set of
    // elements (and so the reference counts) must stay the same.
    std::vector<T*>& underlying() { return data_; }
    const std::vector<T*>& underlying() const { return data_; }

    bool operator==(const Vector& other) const { return data_ == other.data_; }

private:
    void retainAll() {
        for (T* object : data_) {
            object->retain();
        }
    }

    std::vector<T*> data_;
};

} // namespace engine
