namespace lug::test {}
