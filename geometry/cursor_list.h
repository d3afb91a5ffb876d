// CursorList: a doubly linked list with a cursor. Misuse is reported in a
// plain message box (empty caption) and the operation goes on; it never throws.
// The list owns its nodes; a node owns its value only when T is a value type
// (the string list).
#pragma once

#include <cstdio>
#include <string>

#include "platform/core/messages.h"

namespace zarvento {

template <typename T>
class CursorList {
public:
    struct Node {
        T value{};
        Node* prev = nullptr;
        Node* next = nullptr;
    };

    CursorList() = default;
    ~CursorList() { RemoveAll(); }
    CursorList(const CursorList& other) {
        for (Node* n = other.head_; n; n = n->next) AddTail(n->value);
    }
    CursorList& operator=(const CursorList& other) {
        if (this != &other) {
            RemoveAll();
            for (Node* n = other.head_; n; n = n->next) AddTail(n->value);
        }
        return *this;
    }

    void AddTail(T value) {
        Node* n = new Node{std::move(value), tail_, nullptr};
        if (!head_) {
            head_ = n;
        } else {
            tail_->next = n;
        }
        tail_ = n;
        ++count_;
    }

    void Rewind() { cursor_ = head_; }

    // The cursor node, then the cursor moves on. Past the end: a message and the head.
    Node* Next() {
        if (!cursor_) {
            Complain("next Invalid pCurr");
            return head_;
        }
        Node* n = cursor_;
        cursor_ = cursor_->next;
        return n;
    }

    Node* GetAt(int i) {
        if (count_ == 0) {
            Complain("Empty array");
            return head_;
        }
        if (i < 0 || i >= count_) {
            Complain(Format("Invalid index of array\ni=%d N=%d", i));
            return head_;
        }
        return Walk(i);
    }

    // The walk is done even after a complaint: past the end leaves no cursor,
    // a negative index leaves it on the head.
    void SetCursor(int i) {
        if (count_ == 0)
            Complain("Empty array");
        else if (i < 0 || i >= count_)
            Complain(Format("curr: Invalid index of array\ni=%d N=%d", i));
        cursor_ = i < 0 ? head_ : Walk(i);
    }

    void RemoveAll() {
        Node* n = head_;
        while (n) {
            Node* next = n->next;
            delete n;
            n = next;
        }
        head_ = tail_ = cursor_ = nullptr;
        count_ = 0;
    }

    int Count() const { return count_; }
    Node* Head() const { return head_; }
    Node* Tail() const { return tail_; }
    Node* Cursor() const { return cursor_; }

private:
    Node* Walk(int i) const {
        Node* n = head_;
        for (int k = 0; k < i && n; ++k) n = n->next;
        return n;
    }
    std::string Format(const char* fmt, int i) const {
        char buf[96];
        std::snprintf(buf, sizeof buf, fmt, i, count_);
        return buf;
    }
    static void Complain(const std::string& text) { ShowPlainMessageBox(text, ""); }

    Node* head_ = nullptr;
    Node* tail_ = nullptr;
    Node* cursor_ = nullptr;
    int count_ = 0;
};

}  // namespace zarvento
