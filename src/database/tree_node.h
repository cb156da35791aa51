#pragma once
// A node of the main window's tree as the views, the editing commands and the database's
// operations name it: its kind and, where the kind has several nodes, which one.
#include <cstddef>

namespace cs {

struct TreeNode {
    enum class Kind { MainList, Satellite, FavouriteList, Bin, Providers, UnknownProvider, Provider, Settings };

    Kind kind = Kind::MainList;
    // Satellite: the satellite's number; FavouriteList: the list, 1..8; Provider: its position in
    // the provider list, from 0. Unused by the other kinds.
    int index = 0;

    static constexpr TreeNode mainList() { return {Kind::MainList, 0}; }
    static constexpr TreeNode satellite(int number) { return {Kind::Satellite, number}; }
    static constexpr TreeNode favouriteList(int list) { return {Kind::FavouriteList, list}; }
    static constexpr TreeNode bin() { return {Kind::Bin, 0}; }
    static constexpr TreeNode providers() { return {Kind::Providers, 0}; }
    static constexpr TreeNode unknownProvider() { return {Kind::UnknownProvider, 0}; }
    static constexpr TreeNode provider(int position) { return {Kind::Provider, position}; }
    static constexpr TreeNode settings() { return {Kind::Settings, 0}; }

    constexpr bool isMainList() const { return kind == Kind::MainList; }
    constexpr bool isSatellite() const { return kind == Kind::Satellite; }
    constexpr bool isMainOrSatellite() const { return isMainList() || isSatellite(); }
    constexpr bool isFavouriteList() const { return kind == Kind::FavouriteList; }
    constexpr bool isBin() const { return kind == Kind::Bin; }
    constexpr bool isSettings() const { return kind == Kind::Settings; }
    // The unknown provider or a provider (not the providers node itself).
    constexpr bool isProvider() const { return kind == Kind::UnknownProvider || kind == Kind::Provider; }
    // The providers node or one of its children: the list shows a provider view.
    constexpr bool isProviderView() const { return kind == Kind::Providers || isProvider(); }

    // The favourite list, 1..8; 0 for every other node.
    constexpr int list() const { return isFavouriteList() ? index : 0; }
    // The satellite a channel view shows: its number, 0 for the main list and other nodes.
    constexpr int satelliteNumber() const { return isSatellite() ? index : 0; }

    constexpr bool operator==(const TreeNode&) const = default;
};

} // namespace cs
