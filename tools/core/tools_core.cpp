// Qt-free tool cores.
