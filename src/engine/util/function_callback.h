#pragma once
// Callbacks that menus and prompts hold (through smart_ptr<function_callback>):
// an object bound with one of its member functions and zero, one or two stored
// arguments, or a plain function.  Invoke calls it; nothing is returned.
//
//   function_callback_v                     void (*)()
//   function_callback_vm0<T>                T::f()
//   function_callback_vm1<T, P1, A1>        T::f(P1), A1 stored
//   function_callback_vm2<T, P1, P2, A1, A2> T::f(P1, P2), A1 and A2 stored
//
// The member function may return a value; it is dropped.
#include <functional>
#include <utility>

class function_callback {
public:
    virtual void Invoke() = 0;
    virtual ~function_callback() = default;
    // Binds the callback to another object of the same class (ignored by plain
    // function callbacks).
    virtual void RebindObject(void* object) = 0;
};

class function_callback_v : public function_callback {
public:
    using Function = void (*)();
    explicit function_callback_v(Function fn) : m_pFunction(fn) {}
    void Invoke() override {
        if (m_pFunction) m_pFunction();
    }
    void RebindObject(void*) override {}

private:
    Function m_pFunction = nullptr;
};

template <class T>
class function_callback_vm0 : public function_callback {
public:
    template <class F>
    function_callback_vm0(T* object, F member) : m_pObject(object), m_Function(member) {}
    void Invoke() override {
        if (m_pObject && m_Function) m_Function(m_pObject);
    }
    void RebindObject(void* object) override { m_pObject = static_cast<T*>(object); }
    T* GetObject() const { return m_pObject; }

private:
    T* m_pObject = nullptr;
    std::function<void(T*)> m_Function;
};

template <class T, class P1, class A1 = P1>
class function_callback_vm1 : public function_callback {
public:
    template <class F>
    function_callback_vm1(T* object, F member, A1 arg1) : m_pObject(object), m_Function(member), m_Arg1(std::move(arg1)) {}
    void Invoke() override {
        if (m_pObject && m_Function) m_Function(m_pObject, m_Arg1);
    }
    void RebindObject(void* object) override { m_pObject = static_cast<T*>(object); }
    T* GetObject() const { return m_pObject; }

private:
    T* m_pObject = nullptr;
    std::function<void(T*, P1)> m_Function;
    A1 m_Arg1{};
};

template <class T, class P1, class P2, class A1 = P1, class A2 = P2>
class function_callback_vm2 : public function_callback {
public:
    template <class F>
    function_callback_vm2(T* object, F member, A1 arg1, A2 arg2)
        : m_pObject(object), m_Function(member), m_Arg1(std::move(arg1)), m_Arg2(std::move(arg2)) {}
    void Invoke() override {
        if (m_pObject && m_Function) m_Function(m_pObject, m_Arg1, m_Arg2);
    }
    void RebindObject(void* object) override { m_pObject = static_cast<T*>(object); }
    T* GetObject() const { return m_pObject; }

private:
    T* m_pObject = nullptr;
    std::function<void(T*, P1, P2)> m_Function;
    A1 m_Arg1{};
    A2 m_Arg2{};
};
