#include "axobject.h"

#include "report/word/docxwordserver.h"

#include <QHash>
#include <QMutex>
#include <QMutexLocker>

namespace {

struct Registry {
    QMutex mutex;
    QHash<QString, AxServerFactory> servers;
    Registry() { servers.insert(QStringLiteral("word.application"), &createDocxWordApplication); }
};

Registry &registry()
{
    static Registry r;
    return r;
}

QVariantList collect(const QVariant &a, const QVariant &b, const QVariant &c, const QVariant &d)
{
    QVariantList args;
    for (const QVariant *v : {&a, &b, &c, &d})
        if (v->isValid())
            args.append(*v);
    return args;
}

} // namespace

AxObject::AxObject(QObject *parent)
    : QObject(parent)
{ }

AxObject::AxObject(const QString &control, QObject *parent)
    : QObject(parent)
{
    setControl(control);
}

AxObject::AxObject(const AxDispatchPtr &dispatch, QObject *parent)
    : QObject(parent)
    , m_dispatch(dispatch)
{ }

bool AxObject::setControl(const QString &control)
{
    AxServerFactory factory;
    {
        Registry &r = registry();
        QMutexLocker lock(&r.mutex);
        factory = r.servers.value(control.toLower());
    }
    m_dispatch = factory ? factory() : AxDispatchPtr();
    m_control = m_dispatch ? control : QString();
    return !m_dispatch.isNull();
}

AxObject *AxObject::querySubObject(const char *name, const QVariant &var1, const QVariant &var2, const QVariant &var3,
                                   const QVariant &var4)
{
    if (!m_dispatch)
        return nullptr;
    AxDispatchPtr sub = m_dispatch->subObject(QString::fromLatin1(name), collect(var1, var2, var3, var4));
    return sub ? new AxObject(sub, this) : nullptr;
}

QVariant AxObject::dynamicCall(const char *function, const QVariant &var1, const QVariant &var2, const QVariant &var3,
                               const QVariant &var4)
{
    QList<QVariant> args = collect(var1, var2, var3, var4);
    return dynamicCall(function, args);
}

QVariant AxObject::dynamicCall(const char *function, QList<QVariant> &vars)
{
    if (!m_dispatch)
        return QVariant();
    return m_dispatch->call(QString::fromLatin1(function), vars);
}

bool AxObject::setProperty(const char *name, const QVariant &value)
{
    return m_dispatch && m_dispatch->setValue(QString::fromLatin1(name), value);
}

QVariant AxObject::asVariant() const { return QVariant::fromValue(const_cast<AxObject *>(this)); }

AxDispatchPtr AxObject::dispatchOf(const QVariant &value)
{
    AxObject *o = value.value<AxObject *>();
    return o ? o->m_dispatch : AxDispatchPtr();
}

void AxObject::registerServer(const QString &control, const AxServerFactory &factory)
{
    Registry &r = registry();
    QMutexLocker lock(&r.mutex);
    r.servers.insert(control.toLower(), factory);
}

void AxObject::unregisterServer(const QString &control)
{
    Registry &r = registry();
    QMutexLocker lock(&r.mutex);
    r.servers.remove(control.toLower());
}
