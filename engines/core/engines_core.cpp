// Qt-free engine cores.
