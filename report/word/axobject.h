// A small automation layer with the call shapes of desktop automation
// objects: an object is bound to a server by its programmatic name
// (setControl), sub-objects are reached with querySubObject, methods run
// through dynamicCall with their signature string and properties are set
// with setProperty. Servers register themselves under their names; the
// in-process Word package engine serves "word.Application".
#pragma once

#include <QObject>
#include <QSharedPointer>
#include <QVariant>
#include <functional>

// What a server implements for each object it hands out.
class AxDispatch
{
public:
    virtual ~AxDispatch() = default;
    // `member` is the signature string as given by the caller, e.g.
    // "Bookmarks(QString)"; `args` the arguments.
    virtual QSharedPointer<AxDispatch> subObject(const QString &member, const QVariantList &args) = 0;
    virtual QVariant call(const QString &member, const QVariantList &args) = 0;
    virtual bool setValue(const QString &property, const QVariant &value) = 0;
};

using AxDispatchPtr = QSharedPointer<AxDispatch>;
using AxServerFactory = std::function<AxDispatchPtr()>;

class AxObject : public QObject
{
    Q_OBJECT
public:
    explicit AxObject(QObject *parent = nullptr);
    explicit AxObject(const QString &control, QObject *parent = nullptr);
    AxObject(const AxDispatchPtr &dispatch, QObject *parent);

    // Binds this object to the server registered under `control`
    // (case-insensitive). False when no such server is available.
    bool setControl(const QString &control);
    QString control() const { return m_control; }
    bool isNull() const { return !m_dispatch; }

    // The returned object is a child of this one; null when the member does
    // not exist (a missing bookmark, no active document, ...).
    AxObject *querySubObject(const char *name, const QVariant &var1 = QVariant(), const QVariant &var2 = QVariant(),
                             const QVariant &var3 = QVariant(), const QVariant &var4 = QVariant());
    QVariant dynamicCall(const char *function, const QVariant &var1 = QVariant(), const QVariant &var2 = QVariant(),
                         const QVariant &var3 = QVariant(), const QVariant &var4 = QVariant());
    QVariant dynamicCall(const char *function, QList<QVariant> &vars);
    // Hides QObject::setProperty on purpose: properties go to the server.
    bool setProperty(const char *name, const QVariant &value);

    // This object as an argument of another call.
    QVariant asVariant() const;
    static AxDispatchPtr dispatchOf(const QVariant &value);

    static void registerServer(const QString &control, const AxServerFactory &factory);
    static void unregisterServer(const QString &control);

private:
    AxDispatchPtr m_dispatch;
    QString m_control;
};

Q_DECLARE_METATYPE(AxObject *)
