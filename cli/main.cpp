#include <QCoreApplication>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    std::puts("kvr-cli " KVR_VERSION);
    return 0;
}
