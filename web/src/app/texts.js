// The window's own texts that the page shows besides those in index.html.
export const loadedStatus = '加载已完成！';
export const failedStatus = '词典加载失败，功能不可用';
export const failedCard = '请确保dictionary-data.js与index.html位于同一目录下!';
export const pageTitle = '禾岚大词典';
